// The page side of the browser layer (linked with --js-library): the
// window's frame in page.html, the frame hook window.viewer, and the yield
// to the browser once per frame.
mergeInto(LibraryManager.library, {
  layer_page_show_window: function(title) {
    var frame = document.getElementById('window');
    document.getElementById('caption-title').textContent = UTF8ToString(title);
    frame.style.left = '0px';
    frame.style.top = '0px';
    frame.hidden = false;
  },

  layer_page_hide_window: function() {
    document.getElementById('window').hidden = true;
  },

  // The wake-up goes through Browser's callback path, which ends the run
  // properly (Module.onExit) when the program returns after a yield.
  layer_page_wait_frame__deps: ['$Browser'],
  layer_page_wait_frame: function() {
    Asyncify.handleSleep(function(wakeUp) {
      Browser.safeRequestAnimationFrame(wakeUp);
    });
  },

  layer_page_frame_drawn: function(frame) {
    if (window.viewer) window.viewer.frame = frame;
  },

  // ?frame=K: a whole number from 0 up; anything else means no limit.
  layer_page_frame_limit: function() {
    if (Module.layerFrameLimit === undefined) {
      var text = new URLSearchParams(window.location.search).get('frame');
      Module.layerFrameLimit = text !== null && /^[0-9]{1,9}$/.test(text) ? parseInt(text, 10) : -1;
    }
    return Module.layerFrameLimit;
  },
});
