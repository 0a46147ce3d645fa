// The page around the show: checks that the browser can run it, loads the
// program and its data set with a bar of the bytes loaded, starts it on a
// click or touch (browsers let sound start only after one) with the URL's
// parameters as its command line, says in one quiet line when the show runs
// silent because the browser's sound does not run (a click tries it again),
// and shows an end card when it ends, with the program's own message when it
// ended with an error.
// The page is a player's: the show's keys pause, step and seek, and a
// timeline (shown on a move, a tap or a key) has the scenes as chapters, the
// position, a play/pause button, seeking by a click or a drag, and a link to
// the moment. ?at=O:R, ?to=O:R, ?paused, ?loop and ?loop-range=O:R-O:R say
// where it starts, ends and loops. The start card warns of the show's
// flashes, and has a volume (?volume=0-100) and "Fewer flashes" (?calm);
// the timeline has the volume and a mute button.
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
  const volume = document.getElementById('volume');
  const calm = document.getElementById('calm');
  if (params.has('volume')) volume.value = params.get('volume');
  calm.checked = params.has('calm');
  const messages = [];  // the program's own messages ("pqn: ..."), for the end card

  function showProblem(text) {
    document.body.classList.remove('playing');
    document.body.classList.add('problem');
    status.textContent = text;
    start.hidden = true;
    fill.parentNode.hidden = true;
    volume.parentNode.hidden = calm.parentNode.hidden = true;
    window.pqnProblem = text;
  }

  if (typeof WebAssembly !== 'object') return showProblem('This browser cannot run WebAssembly, which the show needs.');
  if (!document.createElement('canvas').getContext('webgl2'))
    return showProblem('This browser has no WebGL 2, which the show needs.');

  // The command line the URL and the card give: ?scene=N, ?at=, ?to=, ?paused, ?loop, ?loop-range=, ?window, ?scale=,
  // ?volume=, ?calm,
  // ?msaa=, ?audio-offset=, and for tests ?headless, ?fps=, ?shot=, ?frames=, ?bench, ?json and ?trace (kept
  // in the program's memory, /trace.jsonl). A run that is not headless is a player's.
  function commandLine() {
    const args = [];
    for (const name of ['scene', 'at', 'to', 'loop-range', 'scale', 'msaa', 'audio-offset', 'fps', 'shot', 'frames'])
      if (params.has(name)) args.push('--' + name, params.get(name));
    for (const name of ['window', 'headless', 'bench', 'json', 'paused', 'loop']) if (params.has(name)) args.push('--' + name);
    if (!params.has('headless') && !params.has('paused')) args.push('--player');
    if (!params.has('headless')) args.push('--volume', String(volume.value));
    if (calm.checked) args.push('--calm');
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
    if (!params.has('headless')) startPlayerBar();
    Module.callMain(commandLine());
  }

  // The program's frames go on silent while the AudioContext does not run
  // (Module.pqnSilent); a click or a key asks it to run again (a context
  // made anew after the one before was closed, too).
  function watchSound() {
    const watch = setInterval(function () {
      if (window.pqnEnded !== undefined) return clearInterval(watch);
      notice.hidden = !Module.pqnSilent;
    }, 250);
    const retry = function () {
      const context = Module.SDL2 && Module.SDL2.audioContext;
      if (context && context.state === 'suspended') context.resume().catch(function () {});
    };
    document.addEventListener('pointerdown', retry);
    document.addEventListener('keydown', retry);
  }

  // The player's bar: built once the program has described the show, kept
  // up to date with the frame shown, hidden after two seconds of rest.
  const bar = document.getElementById('player');
  const timeline = document.getElementById('timeline');
  const played = document.getElementById('played');
  const clock = document.getElementById('clock');
  const playPause = document.getElementById('playpause');
  const said = document.getElementById('said');
  const mute = document.getElementById('mute');
  const barVolume = document.getElementById('barvolume');
  const kSpace = 0x20, kRestMs = 2000;

  function timeText(seconds) {
    const whole = Math.max(0, Math.floor(seconds));
    return Math.floor(whole / 60) + ':' + String(whole % 60).padStart(2, '0');
  }

  // Seconds of the show at a position, and the position at a number of seconds.
  function secondsAt(show, order, row) {
    const o = show.orders[order], next = show.orders[order + 1];
    if (!o) return show.orders[show.orders.length - 1].seconds;
    const length = next ? next.seconds - o.seconds : 0;
    return o.seconds + (o.rows ? length * row / o.rows : 0);
  }
  function positionAt(show, seconds) {
    let order = 0;
    while (order + 2 < show.orders.length && show.orders[order + 1].seconds <= seconds) ++order;
    const o = show.orders[order], length = show.orders[order + 1].seconds - o.seconds;
    const row = length > 0 ? Math.floor((seconds - o.seconds) / length * o.rows) : 0;
    return {order: order, row: Math.min(Math.max(row, 0), Math.max(o.rows - 1, 0))};
  }

  function startPlayerBar() {
    let show = null, restTimer = 0, dragging = false;
    const total = () => show.orders[show.orders.length - 1].seconds;
    const wake = function () {
      if (!show) return;
      bar.hidden = false;
      clearTimeout(restTimer);
      restTimer = setTimeout(function () {
        const paused = Module.pqnStatus && Module.pqnStatus.paused;
        if (!dragging && !paused && !bar.matches(':hover')) bar.hidden = true;
      }, kRestMs);
    };
    for (const event of ['pointermove', 'pointerdown', 'keydown']) document.addEventListener(event, wake);

    const seekTo = function (event) {
      const box = timeline.getBoundingClientRect();
      const at = positionAt(show, Math.min(Math.max((event.clientX - box.left) / box.width, 0), 1) * total());
      Module._PqnSeek(at.order, at.row);
    };
    timeline.addEventListener('pointerdown', function (event) {
      if (!show) return;
      dragging = true;
      timeline.setPointerCapture(event.pointerId);
      seekTo(event);
    });
    timeline.addEventListener('pointermove', function (event) { if (dragging) seekTo(event); });
    const drop = function () { dragging = false; wake(); };
    timeline.addEventListener('pointerup', drop);
    timeline.addEventListener('pointercancel', drop);
    playPause.addEventListener('click', function () { Module._PqnPress(kSpace); Module.canvas.focus(); });
    // The volume is the program's: the controls set it, and show what the keys made of it.
    const setVolume = function (percent, muted) { Module._PqnSetVolume(percent, muted ? 1 : 0); };
    barVolume.value = volume.value;
    barVolume.addEventListener('input', function () { setVolume(Number(barVolume.value), false); });
    mute.addEventListener('click', function () {
      const s = Module.pqnStatus;
      setVolume(Number(barVolume.value), !(s && s.muted));
      Module.canvas.focus();
    });
    document.getElementById('copylink').addEventListener('click', function () {
      const s = Module.pqnStatus;
      if (!s) return;
      const link = location.origin + location.pathname + '?at=' + s.order + ':' + s.row;
      window.pqnCopiedLink = link;
      const tell = function (text) { said.textContent = text; setTimeout(function () { said.textContent = ''; }, 3000); };
      if (navigator.clipboard && navigator.clipboard.writeText)
        navigator.clipboard.writeText(link).then(function () { tell('Link copied'); }, function () { tell(link); });
      else tell(link);
      Module.canvas.focus();
    });

    const chapters = function () {
      const list = document.getElementById('chapters');
      for (const scene of show.scenes) {
        const from = secondsAt(show, scene.start, 0), to = secondsAt(show, scene.end, 0);
        const chapter = document.createElement('div');
        chapter.className = 'chapter';
        chapter.style.width = (100 * (to - from) / total()) + '%';
        chapter.textContent = chapter.title = scene.name;
        list.appendChild(chapter);
      }
      timeline.setAttribute('aria-valuemax', String(Math.round(total())));
    };
    const update = function () {
      if (window.pqnEnded !== undefined) return;
      if (!show && Module.pqnShow) {
        show = Module.pqnShow;
        chapters();
        wake();
      }
      const s = Module.pqnStatus;
      if (show && s) {
        const seconds = secondsAt(show, s.order, s.row);
        played.style.width = (100 * Math.min(seconds / total(), 1)) + '%';
        clock.textContent = timeText(s.ms / 1000) + ' / ' + timeText(total());
        timeline.setAttribute('aria-valuenow', String(Math.round(seconds)));
        timeline.setAttribute('aria-valuetext', timeText(seconds) + ', ' + show.scenes[s.scene - 1].name + ', order ' + s.order + ' row ' + s.row);
        if (document.activeElement !== barVolume) barVolume.value = s.volume;
        const muteLabel = s.muted ? 'Unmute' : 'Mute';
        if (mute.textContent !== muteLabel) {
          mute.textContent = muteLabel;
          mute.setAttribute('aria-pressed', String(s.muted));
        }
        const label = s.paused ? 'Play' : 'Pause';
        if (playPause.textContent !== label) {
          playPause.textContent = label;
          playPause.setAttribute('aria-label', label);
          if (s.paused) wake();
        }
      }
      requestAnimationFrame(update);
    };
    requestAnimationFrame(update);
  }

  function ended(code) {
    bar.hidden = true;
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
