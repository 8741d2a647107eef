// Runs in the page before the game starts. The page's address is the
// command line (?mute is --mute, ?max-fps=60 is --max-fps 60; ?step hands
// the clock to a test), and the player's files come back from the page's
// storage into the in-memory file system, where the game reads them.
Module['arguments'] = Module['arguments'] || [];
// (Plain ES5-style loops: the toolchain's optimiser mangles newer forms.)
new URLSearchParams(window.location.search).forEach(function (value, name) {
  if (name === 'step') {
    Module['orvantheStepped'] = true;
    return;
  }
  Module['arguments'].push('--' + name);
  if (value !== '') Module['arguments'].push(value);
});
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  var storage = null;
  try {
    storage = window.localStorage;
  } catch (e) {
    console.warn('orvanthe: settings not kept: the page has no storage (' + e + ')');
    return;
  }
  for (var i = 0; i < storage.length; ++i) {
    var key = storage.key(i);
    if (!key || !key.startsWith('orvanthe:/')) continue;
    var path = key.slice('orvanthe:'.length);
    FS.mkdirTree(path.slice(0, path.lastIndexOf('/')) || '/');
    FS.writeFile(path, storage.getItem(key));
  }
});
