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
  // Text files are kept as text, others (a demo) a character a byte.
  for (var i = 0; i < storage.length; ++i) {
    var key = storage.key(i);
    if (!key) continue;
    var bytes = key.startsWith('orvanthe-bytes:/');
    if (!bytes && !key.startsWith('orvanthe:/')) continue;
    var path = key.slice(key.indexOf(':') + 1);
    var value = storage.getItem(key);
    FS.mkdirTree(path.slice(0, path.lastIndexOf('/')) || '/');
    if (bytes) {
      var array = new Uint8Array(value.length);
      for (var j = 0; j < value.length; ++j) array[j] = value.charCodeAt(j) & 0xff;
      FS.writeFile(path, array);
    } else {
      FS.writeFile(path, value);
    }
  }
});
