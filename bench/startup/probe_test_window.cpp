// A window for testing the probe: it maps MAP_MS after its creation (0: in the same
// flush, before a watcher can react) with a server-painted background, waits DRAW_MS,
// draws its top half twice, and 50 ms later its bottom half. A probe that took the
// map, the background, or drawn areas that merely add up to the window's for the first
// frame would report it too early.
//   probe_test_window TITLE MAP_MS DRAW_MS
#include <xcb/xcb.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct Disconnect {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    const char* title = argv[1];
    const int mapMs = std::atoi(argv[2]);
    const int drawMs = std::atoi(argv[3]);
    std::unique_ptr<xcb_connection_t, Disconnect> c(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(c.get()))
        return 3;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c.get())).data;

    const xcb_window_t window = xcb_generate_id(c.get());
    const std::uint32_t background[] = {screen->white_pixel};
    constexpr std::uint16_t Width = 200, Height = 100;
    xcb_create_window(c.get(), XCB_COPY_FROM_PARENT, window, screen->root, 10, 10, Width, Height, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, background);
    xcb_change_property(c.get(), XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        std::uint32_t(std::strlen(title)), title);
    if (mapMs > 0) {
        xcb_flush(c.get());
        usleep(useconds_t(mapMs) * 1000);
    }
    xcb_map_window(c.get(), window);
    xcb_flush(c.get());
    usleep(useconds_t(drawMs) * 1000);

    const xcb_gcontext_t gc = xcb_generate_id(c.get());
    const std::uint32_t foreground[] = {screen->black_pixel};
    xcb_create_gc(c.get(), gc, window, XCB_GC_FOREGROUND, foreground);
    const xcb_rectangle_t top{0, 0, Width, Height / 2};
    xcb_poly_fill_rectangle(c.get(), window, gc, 1, &top);
    xcb_poly_fill_rectangle(c.get(), window, gc, 1, &top);
    xcb_flush(c.get());
    usleep(50 * 1000);
    const xcb_rectangle_t bottom{0, Height / 2, Width, Height / 2};
    xcb_poly_fill_rectangle(c.get(), window, gc, 1, &bottom);
    xcb_flush(c.get());
    pause();
    return 0;
}
