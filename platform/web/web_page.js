// The page side of the browser layer (linked with --js-library): the
// window's frame in page.html, the frame hook window.viewer, and the yield
// to the browser once per frame.
mergeInto(LibraryManager.library, {
  // page.html measures its window's frame once (Module.windowFrame).
  web_page_window_frame: function(width, height, client_top) {
    HEAP32[width >> 2] = Module.windowFrame.width;
    HEAP32[height >> 2] = Module.windowFrame.height;
    HEAP32[client_top >> 2] = Module.windowFrame.clientTop;
  },

  web_page_show_window: function(title) {
    var frame = document.getElementById('window');
    document.getElementById('caption-title').textContent = UTF8ToString(title);
    frame.style.left = '0px';
    frame.style.top = '0px';
    frame.hidden = false;
  },

  web_page_hide_window: function() {
    document.getElementById('window').hidden = true;
  },

  // Both yields wake up through Emscripten's callback path, which ends the
  // run properly (Module.onExit) when the program returns after a yield.
  // window.viewer.workMs adds up the time the program runs between yields
  // (wasm and JavaScript, not the browser's own drawing), for the
  // benchmarks: divided by the frames drawn, the work per frame.
  // NOTE: Emscripten's own frame wait moved (Browser.safeRequestAnimationFrame
  // up to 3.1.6, a function of its own later); the wait is made here from
  // what every version has, as its safeSetTimeout is.
  $web_page_yield__deps: ['$safeSetTimeout', '$callUserCallback', '$runtimeKeepalivePush', '$runtimeKeepalivePop'],
  $web_page_yield: function(milliseconds) {
    if (Module.webWokeAt !== undefined && window.viewer)
      window.viewer.workMs += performance.now() - Module.webWokeAt;
    Asyncify.handleSleep(function(wakeUp) {
      function wake() {
        Module.webWokeAt = performance.now();
        wakeUp();
      }
      if (milliseconds >= 0) {
        safeSetTimeout(wake, milliseconds);
        return;
      }
      runtimeKeepalivePush();
      requestAnimationFrame(function() {
        runtimeKeepalivePop();
        callUserCallback(wake);
      });
    });
  },

  web_page_wait_frame__deps: ['$web_page_yield'],
  web_page_wait_frame: function() {
    web_page_yield(-1);
  },

  web_page_sleep__deps: ['$web_page_yield'],
  web_page_sleep: function(milliseconds) {
    web_page_yield(milliseconds >>> 0);
  },

  web_page_frame_drawn: function(frame) {
    if (window.viewer) window.viewer.frame = frame;
  },

  web_page_program_name: function(name, size) {
    stringToUTF8(Module.program, name, size);
  },

  // ?frame=K: a whole number from 0 up; anything else means no limit.
  web_page_frame_limit: function() {
    if (Module.webFrameLimit === undefined) {
      var text = new URLSearchParams(window.location.search).get('frame');
      Module.webFrameLimit = text !== null && /^[0-9]{1,9}$/.test(text) ? parseInt(text, 10) : -1;
    }
    return Module.webFrameLimit;
  },

  // While the context is lost the status line says why the picture stands
  // still; it is written once, as a screen reader reads out every change.
  $web_page_say_waiting: function(waiting) {
    if (Module.webContextGone) return;
    var status = document.getElementById('status');
    var line = Module.program + ': the picture waits for the browser to restore the WebGL context';
    if (waiting && status.textContent !== line) status.textContent = line;
    else if (!waiting && status.textContent === line) status.textContent = '';
  },

  // The page's listeners (page.html) keep window.viewer.contextLost from the
  // canvas's webglcontextlost and webglcontextrestored events, and count the
  // losses; the context itself says it is lost as soon as it is, before the
  // event arrives.  A loss and its restore may both come between two looks:
  // a count beyond the losses the layer has made its objects again for
  // still reads as "restored".
  web_page_context_states: function(live, lost, lost_hidden, restored) {
    Module.webContextStates = { live: live, lost: lost, lostHidden: lost_hidden, restored: restored };
  },

  web_page_context_state__deps: ['$GL', '$web_page_say_waiting'],
  web_page_context_state: function() {
    var states = Module.webContextStates, context = GL.currentContext;
    if (!context) return states.live;
    if (context.GLctx.isContextLost() || window.viewer.contextLost) {
      web_page_say_waiting(true);
      return document.hidden ? states.lostHidden : states.lost;
    }
    return (Module.canvas.webLosses || 0) !== (Module.webLossesMended || 0) ? states.restored : states.live;
  },

  web_page_context_lost_at_start: function() {
    Module.canvas.webLosses += 1;
  },

  web_page_context_mended__deps: ['$web_page_say_waiting'],
  web_page_context_mended: function() {
    Module.webLossesMended = Module.canvas.webLosses;
    web_page_say_waiting(false);
  },

  // The run ends for the lost context: the status line keeps its failure
  // line while the program ends.
  web_page_context_gone: function() {
    Module.webContextGone = true;
  },

  // Focus on the page itself or on the window's canvas: a scrolling key
  // would scroll the page.  A focused button takes Space and Enter itself.
  web_page_window_has_focus: function() {
    var focused = document.activeElement;
    return !focused || focused === document.body || focused === document.documentElement ||
           focused === Module.canvas;
  },
});
