// The player page: starts the game's worker, shows the frames it hands over,
// passes it the keys, and shows what it prints, the flip hint and how the
// game ended. The page itself never blocks: the game's loop runs in the
// worker (worker.js).
'use strict';

(function () {
  const stage = document.getElementById('stage');
  const screen = document.getElementById('screen');
  const notice = document.getElementById('notice');
  const status = document.getElementById('status');
  const hint = document.getElementById('hint');
  const consolePanel = document.getElementById('console');
  const fullscreenButton = document.getElementById('fullscreen');
  const stopButton = document.getElementById('stop');

  // What the page knows of the game, for anyone watching it (the tests too).
  const player = {
    keyMode: '',
    frames: 0,
    firstFrameMs: null,
    status: null,
    stopped: false,
    output: '',
    width: 0,
    height: 0,
    hintShown: false,
  };
  window.oruPlayer = player;

  function showNotice(html) {
    notice.innerHTML = html;
    notice.hidden = false;
  }

  function setStatus(text) {
    status.textContent = text;
  }

  // ------------------------------------------------------------- console

  const decoder = new TextDecoder('utf-8');
  let pendingLine = '';
  const consoleLimit = 200000;

  // Text from the game: bytes, one character each, shown as UTF-8 as a
  // terminal would show them.
  function showOutput(bytes) {
    if (!bytes) return;
    const data = new Uint8Array(bytes.length);
    for (let i = 0; i < bytes.length; ++i) data[i] = bytes.charCodeAt(i);
    const text = decoder.decode(data, { stream: true });
    player.output += text;
    consolePanel.textContent += text;
    if (consolePanel.textContent.length > consoleLimit) {
      consolePanel.textContent = consolePanel.textContent.slice(-consoleLimit / 2);
    }
    consolePanel.scrollTop = consolePanel.scrollHeight;
    pendingLine += text;
    const lines = pendingLine.split('\n');
    pendingLine = lines.pop();
    for (const line of lines) console.log(line);
  }

  // ---------------------------------------------------------------- frame

  const frameContext = screen.getContext('bitmaprenderer');
  let askedFullscreen = false;

  // The largest whole scale that fits the stage, in device pixels, so that
  // pixels stay crisp; below 1, scaled down smoothly to fit.
  function fit() {
    const w = screen.width;
    const h = screen.height;
    const full = document.fullscreenElement === stage;
    const roomWidth = full ? window.innerWidth : stage.clientWidth;
    const roomHeight = full ? window.innerHeight : stage.clientHeight;
    const ratio = window.devicePixelRatio || 1;
    const fits = Math.min((roomWidth * ratio) / w, (roomHeight * ratio) / h);
    const scale = fits >= 1 ? Math.floor(fits) / ratio : Math.min(roomWidth / w, roomHeight / h);
    screen.classList.toggle('smooth', fits < 1);
    screen.style.width = w * scale + 'px';
    screen.style.height = h * scale + 'px';
  }

  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', fit);

  fullscreenButton.addEventListener('click', () => {
    fullscreenButton.blur();
    if (document.fullscreenElement) document.exitFullscreen();
    else if (stage.requestFullscreen) stage.requestFullscreen().catch(() => {});
    screen.focus();
  });

  // ----------------------------------------------------------------- keys

  // SDL's key symbols, as the native program's key flags are indexed.
  const keySymbols = {
    ArrowLeft: 276,
    ArrowRight: 275,
    ArrowUp: 273,
    ArrowDown: 274,
    Space: 32,
    Escape: 27,
    Enter: 13,
    NumpadEnter: 271,
    Backspace: 8,
    Tab: 9,
  };
  for (let i = 0; i < 26; ++i) keySymbols['Key' + String.fromCharCode(65 + i)] = 97 + i;
  for (let i = 0; i < 10; ++i) keySymbols['Digit' + i] = 48 + i;
  // Keys the page would otherwise act on (scrolling, buttons).
  const gameKeys = new Set([276, 275, 273, 274, 32, 13, 271]);

  let sendKey = () => {};
  const keysDown = new Set();

  function keyEvent(event, down) {
    const symbol = keySymbols[event.code];
    if (symbol === undefined) return;
    if (gameKeys.has(symbol)) event.preventDefault();
    // The native program never repeats keys.
    if (event.repeat) return;
    if (down) keysDown.add(symbol);
    else keysDown.delete(symbol);
    sendKey(symbol | (down ? 0x10000 : 0));
  }

  window.addEventListener('keydown', (event) => keyEvent(event, true));
  window.addEventListener('keyup', (event) => keyEvent(event, false));
  // Keys held when the page loses the keyboard come up: their key-ups would
  // go elsewhere.
  window.addEventListener('blur', () => {
    for (const symbol of keysDown) sendKey(symbol);
    keysDown.clear();
  });

  // ------------------------------------------------------ isolation

  // Shared memory needs a cross-origin isolated page. A server that sends
  // the two headers gives it at once; on a plain static host the service
  // worker adds them, after one reload. Where the page cannot be isolated
  // (inside a cross-origin frame of a page that is not), the service worker
  // relays the keys instead.
  async function chooseKeyMode() {
    if (window.crossOriginIsolated) {
      forgetReload();
      return 'shared';
    }
    if (!('serviceWorker' in navigator)) return 'none';
    let registration = null;
    try {
      registration = await navigator.serviceWorker.register('sw.js');
    } catch (e) {
      registration = null;
    }
    if (!registration) return 'none';
    await navigator.serviceWorker.ready;
    if (!navigator.serviceWorker.controller) {
      await new Promise((resolve) => {
        navigator.serviceWorker.addEventListener('controllerchange', resolve, { once: true });
        setTimeout(resolve, 3000);
      });
    }
    if (window.top === window && !reloadedBefore()) {
      markReload();
      location.reload();
      return null;
    }
    return navigator.serviceWorker.controller ? 'relay' : 'none';
  }

  const reloadKey = 'oru-isolation-reload';
  function reloadedBefore() {
    try {
      return sessionStorage.getItem(reloadKey) === '1';
    } catch (e) {
      return true;
    }
  }
  function markReload() {
    try {
      sessionStorage.setItem(reloadKey, '1');
    } catch (e) {
      // Without storage the page is not reloaded.
    }
  }
  function forgetReload() {
    try {
      sessionStorage.removeItem(reloadKey);
    } catch (e) {
      // Nothing was stored.
    }
  }

  // ----------------------------------------------------------- the game

  let worker = null;
  let lastFlipAt = 0;
  let hintTimer = 0;

  function ended(text) {
    clearInterval(hintTimer);
    hint.hidden = true;
    if (worker) worker.terminate();
    worker = null;
    stopButton.disabled = true;
    setStatus(text);
  }

  stopButton.addEventListener('click', () => {
    stopButton.blur();
    if (!worker) return;
    player.stopped = true;
    ended('Stopped.');
  });
  window.addEventListener('pagehide', () => {
    if (worker) worker.terminate();
  });

  function flipSeen() {
    lastFlipAt = performance.now();
    if (player.hintShown) {
      player.hintShown = false;
      hint.hidden = true;
    }
  }

  // The flip hint: the game has not called flip() for over a second, so
  // the page gets neither frames nor keys through to it.
  function watchFlips() {
    if (!worker || performance.now() - lastFlipAt <= 1000 || player.hintShown) return;
    player.hintShown = true;
    hint.textContent =
      'oru: the script has not called flip() for over a second, so the page gets no frames or keys through to it; Stop ends it.';
    hint.hidden = false;
    console.log(hint.textContent);
  }

  function onMessage(event) {
    const message = event.data;
    switch (message.t) {
      case 'out':
        showOutput(message.text);
        break;
      case 'flip':
        flipSeen();
        break;
      case 'window':
        screen.width = player.width = message.width;
        screen.height = player.height = message.height;
        document.title = 'ORU';
        askedFullscreen = message.fullscreen;
        fullscreenButton.classList.toggle('asked', askedFullscreen);
        screen.classList.toggle('no-cursor', askedFullscreen);
        fit();
        break;
      case 'frame':
        flipSeen();
        frameContext.transferFromImageBitmap(message.bitmap);
        if (player.frames === 0) player.firstFrameMs = performance.now();
        ++player.frames;
        showOutput(message.text);
        break;
      case 'exit':
        player.status = message.status;
        ended('The game ended with exit status ' + message.status + '.');
        console.log('oru: exit status ' + message.status);
        break;
      default:
        break;
    }
  }

  async function start() {
    if (location.protocol === 'file:') {
      showNotice(
        '<p>This game runs from a web server, not from a file on disk.</p>' +
          '<p>In its folder, run</p><code>python3 -m http.server</code>' +
          '<p>and open <b>http://localhost:8000/</b> in the browser.</p>'
      );
      setStatus('Not started: opened as a file.');
      stopButton.disabled = true;
      console.log('oru: opened as a file; serve the folder with: python3 -m http.server');
      return;
    }
    const keyMode = await chooseKeyMode();
    if (keyMode === null) return;
    player.keyMode = keyMode;

    let game;
    try {
      const response = await fetch('player/game.json', { cache: 'no-cache' });
      game = await response.json();
    } catch (e) {
      showNotice('<p>The game could not be loaded (player/game.json).</p>');
      setStatus('Not started.');
      return;
    }

    const client = Math.random().toString(36).slice(2) + Date.now().toString(36);
    const settings = {
      t: 'start',
      start: game.start,
      files: game.files,
      base: new URL('game/', location.href).href,
      glow: Uint8Array.from(atob(game.glow), (c) => c.charCodeAt(0)),
      font: game.font,
      keyMode: keyMode,
      keys: null,
      relayUrl: new URL('oru-relay?client=' + client, location.href).href,
      // ?frame-delay=0 takes flip's sleep away, for measuring frame rates.
      frameDelayMs: Number(new URLSearchParams(location.search).get('frame-delay') || 5),
    };
    if (keyMode === 'shared') {
      const keys = new SharedArrayBuffer(4 * (2 + 256));
      const ring = new Int32Array(keys);
      settings.keys = keys;
      sendKey = (code) => {
        const written = Atomics.load(ring, 0);
        ring[2 + (written % 256)] = code;
        Atomics.store(ring, 0, written + 1);
      };
    } else if (keyMode === 'relay') {
      sendKey = (code) => {
        const controller = navigator.serviceWorker.controller;
        if (controller) controller.postMessage({ t: 'key', client: client, code: code });
      };
    }

    worker = new Worker('player/worker.js');
    worker.onmessage = onMessage;
    worker.onerror = (event) => {
      showOutput('oru: the player failed: ' + (event.message || 'unknown error') + '\n');
      ended('The player failed.');
    };
    lastFlipAt = performance.now();
    hintTimer = setInterval(watchFlips, 250);
    setStatus(keyMode === 'shared' ? 'Running.' : 'Running (compatibility mode: slower).');
    worker.postMessage(settings);
    screen.focus();
  }

  start();
})();
