// Screen images: every screen page and every off-screen surface is one
// ScreenImage record, found by its handle in the image table.
//
// | mode | pixels      | colours | text grid (font)        | pixel memory            |
// |------|-------------|---------|-------------------------|-------------------------|
// | 0    | 80x25 cells | 16      | 80x25 (16)              | emulated_memory 0xB8000 |
// | 1, 7 | 320x200     | 4, 16   | 40x25 (8)               | heap                    |
// | 2, 8 | 640x200     | 2, 16   | 80x25 (8)               | heap                    |
// | 9,10 | 640x350     | 16, 4   | 80x25 (14)              | heap                    |
// | 11,12| 640x480     | 2, 16   | 80x30 (16)              | heap                    |
// | 13   | 320x200     | 256     | 40x25 (8)               | emulated_memory 0xA0000 |
//
// Threads: the program thread creates, changes and frees images; the main
// thread's presentation reads the display image's fields, pixels and palette
// without a lock (a frame may show a half-drawn picture). Mode changes free
// and rebuild pages only while the presentation is frozen.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

// image_flags bits
constexpr uint32_t image_owns_palette = 1;
constexpr uint32_t image_is_page = 2;
constexpr uint32_t image_owns_pixels = 4;

struct ScreenImage {
    void* mem_lock = nullptr;  // memory-block lock record (periphery)
    uint64_t mem_lock_id = 0;
    uint8_t valid = 0;
    uint8_t text_surface = 0;     // 1: character cells (mode 0), 2 bytes each
    uint8_t console = 0;
    uint16_t width = 0;           // pixels per row; columns for a text surface
    uint16_t height = 0;          // pixel rows; rows for a text surface
    uint8_t bytes_per_pixel = 0;  // 1 palette, 2 text cell, 4 32-bit colour
    uint8_t bits_per_pixel = 0;   // 1, 2, 4, 8, 16 (text) or 32
    uint32_t color_mask = 0;      // every stored and read palette colour is ANDed with it
    uint16_t mode = 0;
    uint32_t fg_color = 0;
    uint32_t bg_color = 0;
    uint32_t draw_color = 0;      // last colour of a graphics statement
    uint32_t font = 0;            // 8, 14, 16; 9, 15, 17 doubled wide; 32+ outline fonts
    int16_t print_top_row = 0;    // print area (VIEW PRINT), 1-based, inclusive
    int16_t print_bottom_row = 0;
    int16_t cursor_col = 0;       // 1-based
    int16_t cursor_row = 0;
    uint8_t cursor_visible = 0;
    uint8_t cursor_start_line = 0;
    uint8_t cursor_stop_line = 0;
    uint8_t* pixels = nullptr;    // row-major, width x height x bytes_per_pixel, no padding
    uint32_t image_flags = 0;
    uint32_t* palette = nullptr;  // 256 entries 0xAARRGGBB; none for 32-bit images
    int32_t transparent_color = 0;
    uint8_t blend_disabled = 0;
    // 0 normally; 1 when PRINT left the cursor on the last column after
    // writing there (the next output goes to a new line first); 2 when, in
    // that state, a LOCATE without row and column was executed.
    uint8_t wrap_pending = 0;
    // 1 set glyph pixels only (fg), 2 clear glyph pixels only (bg), 3 both.
    uint8_t text_draw_mode = 0;
    // The cursor fields above as the presentation reads them, packed into one
    // word that the program thread stores after each statement that moves or
    // reshapes the cursor (publish_cursors); the fields themselves change in
    // the middle of PRINT, unseen by the main thread.
    uint64_t published_cursor = 0;
    // graphics_state_block: carried over to a newly selected active page.
    int32_t clip_left = 0, clip_top = 0, clip_right = 0, clip_bottom = 0;
    int32_t view_origin_x = 0, view_origin_y = 0;
    float pen_x = 0, pen_y = 0;
    uint8_t coord_mode = 0;       // 0 pixels, 1 viewport origin, 2 world coordinates
    float scale_x = 0, scale_y = 0, scale_offset_x = 0, scale_offset_y = 0;
    float world_x1 = 0, world_y1 = 0, world_x2 = 0, world_y2 = 0;
    double draw_angle = 0;
    double draw_scale = 0;
};

// The fields from clip_left to draw_scale, copied as one block.
struct GraphicsStateBlock {
    int32_t clip_left, clip_top, clip_right, clip_bottom;
    int32_t view_origin_x, view_origin_y;
    float pen_x, pen_y;
    uint8_t coord_mode;
    float scale_x, scale_y, scale_offset_x, scale_offset_y;
    float world_x1, world_y1, world_x2, world_y2;
    double draw_angle, draw_scale;
};
GraphicsStateBlock graphics_state_of(const ScreenImage& image);
void set_graphics_state(ScreenImage& image, const GraphicsStateBlock& block);

// Records live in blocks of image_table_growth that never move, so a record
// reference stays good while the table grows. The directory of blocks is a
// plain array so that the records stay reachable until the process is gone.
constexpr int32_t image_table_growth = 4096;
constexpr int32_t image_table_max_blocks = 16384;

struct ImageStore {
    ScreenImage* blocks[image_table_max_blocks];  // image_table: blocks of image_table_growth records
    int32_t block_count = 0;
    int32_t slots_used = 0;                // never-used slots start here
    std::vector<int32_t> free_image_list;  // stack of freed handles
    std::vector<int32_t> page_table;       // image handle per page; 0 = not created
    int32_t write_image = 0;               // active page: PRINT, PAINT...
    int32_t read_image = 0;                // POINT, character read-back
    std::atomic<int32_t> display_image{0}; // the page the presentation shows
    int32_t active_page_number = 0;        // last selected active page
};
extern ImageStore images;

// Start-up and tests: frees every image and table, then reserves handles 0
// and 1 so that the first real image is 2 and 0 means none.
void reset_images();

// The record of a handle, or nullptr for a handle beyond the slots in use.
ScreenImage* image_record(int32_t handle);
ScreenImage* write_image_record();
ScreenImage* read_image_record();
ScreenImage* display_image_record();
// A handle that names a valid image.
bool image_handle_valid(int32_t handle);

int32_t allocate_image_handle();
void free_image(int32_t handle);

// A new record over caller-supplied memory (not owned): 0 for width or height
// below 1, an unknown mode, or a palette that cannot be allocated.
int32_t create_image_header(uint8_t* memory, int32_t width, int32_t height, int32_t mode);
// create_image_header plus owned pixel memory: zero for pixel modes, spaces
// with attribute 7 for mode 0. 0 on failure.
int32_t create_image(int32_t width, int32_t height, int32_t mode);
// Frees what the image owns (pixels, palette) and its handle.
void destroy_image(int32_t handle);

void apply_default_palette(ScreenImage& image);
void select_font(uint32_t font, ScreenImage& image);
// The image of a screen page, created like page 0 when it does not exist.
int32_t page_image(int32_t page);
// fg/bg of the write image back to its mode's start colours.
void reset_page_colors();

// The cursor of an image as the presentation sees it.
struct PublishedCursor {
    int16_t col = 1;
    int16_t row = 1;
    uint8_t wrap_pending = 0;
    uint8_t visible = 0;
    uint8_t start_line = 0;
    uint8_t stop_line = 0;
};

// Program thread: stores the cursor fields of image for the presentation.
void publish_cursor(ScreenImage& image);
// Program thread: publish_cursor for the write image and every screen page.
void publish_cursors();
// Publishes the cursors when it goes out of scope: the first line of a
// statement that moves the cursor, whichever way it returns.
struct CursorPublication {
    CursorPublication() = default;
    CursorPublication(const CursorPublication&) = delete;
    CursorPublication& operator=(const CursorPublication&) = delete;
    ~CursorPublication() { publish_cursors(); }
};
// Program thread: pixels, cells, colours or a shown cursor have changed in
// the statement running. The main loop is woken when the statement ends
// (announce_display_change, which publish_cursors calls), and only then: a
// program that draws again what is there already (a menu drawn anew on each
// pass of its key loop) leaves a resting loop at rest.
void note_display_change();
void announce_display_change();
// Statements whose changes were announced so far (tests).
uint32_t announced_display_changes();
// Main thread: the cursor last published for image.
PublishedCursor published_cursor_of(const ScreenImage& image);

// Text grid of an image: for a text surface its width and height, for a
// pixel image the pixels divided by the font's glyph size.
int32_t text_columns(const ScreenImage& image);
int32_t text_rows(const ScreenImage& image);
