# The dialogs answered by keys and clicks under a real window manager.
E2E_WITH_WM=1 source "$(dirname "$0")/dialogs_answered.sh" "$@"
