// libdecor's GTK plugin, the one a GNOME system has, draws the title bar with
// GTK over a Wayland connection of GDK's own.
// NOTE: when the compositor goes, GDK may notice first, on its connection,
// inside the plugin: it says "Error reading events from display: Broken
// pipe" through GLib's log and ends the process itself (_exit(1)), before
// the layer sees its own connection break.  The layer hears GDK's log and
// says its own one line instead; GDK's exit then ends the run with 1.  GLib
// is found only where the plugin loaded it: nothing links it.
#include "sdl_backend.h"

#include <dlfcn.h>
#include <string.h>
#include <unistd.h>

// GLib's log levels, fields and entry points (GLib's ABI).
static const int glib_level_message = 1 << 5;
static const int glib_flags_fatal_recursion = 3;
struct glib_log_field {
    const char* key;
    const void* value;
    long length;
};
typedef void (*glib_log_func)(const char* domain, int level, const char* message, void* data);
typedef int (*glib_writer_func)(int level, const glib_log_field* fields, size_t count, void* data);
static glib_writer_func gdk_default_writer;

// GDK's words for a broken connection: "Error reading events from display:
// ...", "Error flushing display: ...", "Error 71 (Protocol error)
// dispatching to Wayland display."
static bool gdk_lost_display(const char* domain, const char* message)
{
    return domain && message && strcmp(domain, "Gdk") == 0 && strncmp(message, "Error ", 6) == 0 &&
           strstr(message, "display");
}

static void gdk_end_run(const char* message)
{
    posix_chatter_end();  // the line goes to the real stderr
    if (sdl.wayland_lost)
        return;
    sdl.wayland_lost = true;
    layer_end_run("lost the display", strstr(message, "Protocol error")
                                          ? "the compositor ended the connection over a protocol error"
                                          : "the compositor closed the connection");
}

// For GDK built to log through g_log's handlers.
static void gdk_log_handler(const char* domain, int, const char* message, void*)
{
    if (gdk_lost_display(domain, message)) {
        gdk_end_run(message);
        return;
    }
    // Other messages of GDK's go out as GLib would print them.
    static const char prefix[] = "Gdk-Message: ";
    if (write(STDERR_FILENO, prefix, sizeof prefix - 1) >= 0 && write(STDERR_FILENO, message, strlen(message)) >= 0)
        (void)!write(STDERR_FILENO, "\n", 1);
}

// For GDK built to log structured messages (G_LOG_USE_STRUCTURED).
static int gdk_log_writer(int level, const glib_log_field* fields, size_t count, void* data)
{
    const char* domain = nullptr;
    const char* message = nullptr;
    for (size_t i = 0; i < count; ++i) {
        if (fields[i].length < 0 && strcmp(fields[i].key, "GLIB_DOMAIN") == 0)
            domain = static_cast<const char*>(fields[i].value);
        else if (fields[i].length < 0 && strcmp(fields[i].key, "MESSAGE") == 0)
            message = static_cast<const char*>(fields[i].value);
    }
    if (gdk_lost_display(domain, message)) {
        gdk_end_run(message);
        return 1;  // handled: GLib writes nothing more
    }
    return gdk_default_writer(level, fields, count, data);
}

void sdl_wayland_hear_gdk()
{
    static bool heard = false;
    if (heard)
        return;
    void* glib = dlopen("libglib-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (!glib)
        return;
    heard = true;
    auto set_handler = reinterpret_cast<unsigned (*)(const char*, int, glib_log_func, void*)>(
        dlsym(glib, "g_log_set_handler"));
    auto set_writer = reinterpret_cast<void (*)(glib_writer_func, void*, void (*)(void*))>(
        dlsym(glib, "g_log_set_writer_func"));
    gdk_default_writer = reinterpret_cast<glib_writer_func>(dlsym(glib, "g_log_writer_default"));
    if (set_handler)
        set_handler("Gdk", glib_level_message | glib_flags_fatal_recursion, gdk_log_handler, nullptr);
    if (set_writer && gdk_default_writer)
        set_writer(gdk_log_writer, nullptr, nullptr);
    dlclose(glib);
}
