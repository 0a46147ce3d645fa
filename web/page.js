// The page around the show: checks that the browser can run it, loads the
// program and its data set with a bar of the bytes loaded, starts it on a
// click or touch (browsers let sound start only after one) with the URL's
// parameters as its command line, says in one quiet line when the show runs
// silent because the browser's sound does not run (a click tries it again),
// and shows an end card when it ends, with the program's own message when it
// ended with an error.
// ?headless renders on the virtual clock without waiting for a click, its
// shots (?shot=O:R,...) kept in Module.pqnShots; window.pqnEnded is set to
// the exit status when the program ends.
(function () {
  'use strict';
  const params = new URLSearchParams(location.search);
  const status = document.getElementById('status');
  const fill = document.getElementById('fill');
  const start = document.getElementById('start');
  const hint = document.getElementById('hint');
  const notice = document.getElementById('notice');
  const messages = [];  // the program's own messages ("pqn: ..."), for the end card

  function showProblem(text) {
    document.body.classList.remove('playing');
    document.body.classList.add('problem');
    status.textContent = text;
    start.hidden = true;
    fill.parentNode.hidden = true;
    window.pqnProblem = text;
  }

  if (typeof WebAssembly !== 'object') return showProblem('This browser cannot run WebAssembly, which the show needs.');
  if (!document.createElement('canvas').getContext('webgl2'))
    return showProblem('This browser has no WebGL 2, which the show needs.');

  // The command line the URL gives: ?scene=N, ?window, ?scale=, ?msaa=, ?audio-offset=, and for tests
  // ?headless, ?fps=, ?shot=, ?frames=, ?bench, ?json and ?trace (kept in the program's memory, /trace.jsonl).
  function commandLine() {
    const args = [];
    for (const name of ['scene', 'scale', 'msaa', 'audio-offset', 'fps', 'shot', 'frames'])
      if (params.has(name)) args.push('--' + name, params.get(name));
    for (const name of ['window', 'headless', 'bench', 'json']) if (params.has(name)) args.push('--' + name);
    if (params.has('shot')) args.push('--out', '/shots');
    if (params.has('trace')) args.push('--trace', '/trace.jsonl');
    return args;
  }

  function megabytes(bytes) { return (bytes / 1e6).toFixed(1); }

  function run() {
    document.body.classList.add('playing');
    if (!params.has('window') && !params.has('headless') && document.documentElement.requestFullscreen)
      document.documentElement.requestFullscreen().catch(function () {});
    Module.canvas.focus();
    // SDL sizes the canvas to its box on screen at each resize of the page.
    const resized = function () { window.dispatchEvent(new Event('resize')); };
    document.addEventListener('fullscreenchange', resized);
    setTimeout(resized, 200);
    watchSound();
    Module.callMain(commandLine());
  }

  // The program's frames go on silent while the AudioContext does not run
  // (Module.pqnSilent); a click or a key asks it to run again.
  function watchSound() {
    const watch = setInterval(function () {
      if (window.pqnEnded !== undefined) return clearInterval(watch);
      notice.hidden = !Module.pqnSilent;
    }, 250);
    const retry = function () {
      if (Module.pqnSilent && Module.SDL2 && Module.SDL2.audioContext) Module.SDL2.audioContext.resume().catch(function () {});
    };
    document.addEventListener('pointerdown', retry);
    document.addEventListener('keydown', retry);
  }

  function ended(code) {
    window.pqnEnded = code;
    if (document.fullscreenElement) document.exitFullscreen().catch(function () {});
    document.body.classList.remove('playing');
    notice.hidden = true;
    status.textContent = code === 0 ? 'The show has ended.'
      : 'The show ended with an error (' + code + ')' + (messages.length ? ': ' + messages[messages.length - 1] : '.');
    fill.parentNode.hidden = true;
    hint.hidden = true;
    start.textContent = 'Play again';
    start.hidden = false;
    start.onclick = function () { location.reload(); };
  }

  window.addEventListener('error', function (event) {
    if (window.pqnEnded === undefined) showProblem('The show could not be loaded: ' + event.message);
  });

  window.Module = {
    canvas: document.getElementById('canvas'),
    noInitialRun: true,
    print: function (text) { console.log(text); },
    printErr: function (text) {
      if (text.startsWith('pqn: ')) messages.push(text);
      console.warn(text);
    },
    // The file packager reports "Downloading data... (loaded/total)".
    setStatus: function (text) {
      const progress = /\((\d+(?:\.\d+)?)\/(\d+)\)/.exec(text);
      if (!progress) return;
      const loaded = Number(progress[1]), total = Number(progress[2]);
      fill.style.width = (100 * loaded / total) + '%';
      status.textContent = 'Loading ' + megabytes(loaded) + ' of ' + megabytes(total) + ' MB';
    },
    onRuntimeInitialized: function () {
      fill.style.width = '100%';
      if (params.has('headless')) return run();
      status.textContent = 'Ready.';
      start.hidden = false;
      start.onclick = run;
    },
    onAbort: function (what) { showProblem('The show stopped: ' + what); },
    onExit: ended,
  };

  // Kept for the next visit and for visits without a network (a page opened
  // from a file, or in a browser without service workers, runs as it is).
  if ('serviceWorker' in navigator && location.protocol.startsWith('http'))
    navigator.serviceWorker.register('sw.js').catch(function () {});

  const program = document.createElement('script');
  program.src = 'pqn.js';
  program.onerror = function () { showProblem('The program (pqn.js) could not be loaded.'); };
  document.body.appendChild(program);
})();
