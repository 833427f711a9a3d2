// The 3D device: the fixed-function rasteriser of the game's era, implemented on the CPU.
//
// It draws pre-transformed vertices (screen x and y, depth 0..1, reciprocal w, diffuse and
// specular colours, one texture coordinate pair) straight into the back-buffer surface (32-bit
// xrgb, 16-bit 5-6-5 or 15-bit 5-5-5) and its attached depth surface (16-bit, or 32-bit with 24
// depth bits above 8 stencil bits), so 2D copies, locks and 3D drawing share one frame.
//
// The calls, states and values follow the device interface the game was written against: begin
// and end of the scene, render states, texture stage 0 states, draw calls on user memory and on
// vertex buffers, textures, depth attachment. Values of the state enumerations are those of that
// interface, so a state written as a number means what it meant there.
//
// Rasterisation rules: pixel centres lie at integer coordinates; a pixel is drawn when its centre
// is inside the triangle, or on a top or left edge (top-left fill convention), with vertex
// positions snapped to 1/16 pixel. Texture coordinates are interpolated perspective-correctly
// from the reciprocal w; colours, fog and depth linearly in screen space. Depth is clamped to
// 0..1 and truncated to the depth format (z × 65535, or z × 16777215 in the upper 24 bits).
//
// A stage that has no texture bound passes the diffuse colour and alpha through, whatever its
// operations say: the darkening quad of the stencil shadows and the subtitle panel are drawn
// that way and rely on their vertex alpha.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/display.h"

// ---- What the machine's 3D hardware offers -----------------------------------------------------

enum class DeviceType {
    hal,     // hardware rasterisation
    tnl_hal, // hardware rasterisation with transform and lighting
    software,
};

// Stencil operations the device supports (capability bits).
enum StencilCaps : uint32_t {
    STENCILCAPS_KEEP = 0x01,
    STENCILCAPS_ZERO = 0x02,
    STENCILCAPS_REPLACE = 0x04,
    STENCILCAPS_INCRSAT = 0x08,
    STENCILCAPS_DECRSAT = 0x10,
    STENCILCAPS_INVERT = 0x20,
    STENCILCAPS_INCR = 0x40,
    STENCILCAPS_DECR = 0x80,
};

// Texture size requirements (capability bits).
enum TextureCaps : uint32_t {
    TEXTURECAPS_POW2 = 0x02,       // width and height must be powers of two
    TEXTURECAPS_SQUAREONLY = 0x20, // width must equal height
};

struct DeviceCaps {
    DeviceType type = DeviceType::hal;
    uint32_t stencil_caps = 0; // 0: the device has no stencil
    uint32_t texture_caps = TEXTURECAPS_POW2;
    int max_texture_width = 2048, max_texture_height = 2048;
};

// The 3D driver of the display: it enumerates depth and texture formats and creates devices.
// What it offers comes from the backend (sys_display_caps): whether a device can render into a
// 32-bit and into a 16-bit back buffer, and whether a stencil is offered.
struct Driver3D {
    DeviceCaps caps;
    bool renders_32_bits = true;
    bool renders_16_bits = true;
    // In the order the device lists them: 16-bit depth first, then 24 depth + 8 stencil bits
    // (only when a stencil is offered).
    std::vector<PixelFormat> zbuffer_formats;
    // In a fixed order: 5-6-5, x-5-5-5, 1-5-5-5, 4-4-4-4, x-8-8-8, 8-8-8-8.
    std::vector<PixelFormat> texture_formats;
};

using Driver3DPtr = std::unique_ptr<Driver3D>;

Result driver3d_create(const Display& display, Driver3DPtr& out);

// The texture formats of the list above, for callers that name one.
inline constexpr PixelFormat k_texture_rgb565 = k_format_rgb565;
inline constexpr PixelFormat k_texture_xrgb1555 = k_format_rgb555;
inline constexpr PixelFormat k_texture_argb1555{
    PF_RGB | PF_ALPHA_PIXELS, 16, 0x7C00, 0x03E0, 0x001F, 0x8000};
inline constexpr PixelFormat k_texture_argb4444{
    PF_RGB | PF_ALPHA_PIXELS, 16, 0x0F00, 0x00F0, 0x000F, 0xF000};
inline constexpr PixelFormat k_texture_xrgb8888 = k_format_xrgb8888;
inline constexpr PixelFormat k_texture_argb8888{
    PF_RGB | PF_ALPHA_PIXELS, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000};

// ---- Vertices
// ------------------------------------------------------------------------------------

// Vertex layout flags. Every vertex starts with x, y, z, reciprocal w (4 floats); then, in this
// order and when present, the diffuse colour, the specular colour (32-bit ARGB each; the top
// byte of the specular colour is the fog factor, 255 = no fog) and one texture pair (2 floats).
// A missing diffuse colour reads as opaque white, a missing specular colour as 0xFF000000.
enum VertexFormat : uint32_t {
    FVF_XYZRHW = 0x004,
    FVF_DIFFUSE = 0x040,
    FVF_SPECULAR = 0x080,
    FVF_TEX1 = 0x100,
};

// The four layouts the game draws with.
inline constexpr uint32_t k_fvf_position = FVF_XYZRHW;
inline constexpr uint32_t k_fvf_coloured = FVF_XYZRHW | FVF_DIFFUSE;
inline constexpr uint32_t k_fvf_lit = FVF_XYZRHW | FVF_DIFFUSE | FVF_SPECULAR;
inline constexpr uint32_t k_fvf_textured = FVF_XYZRHW | FVF_DIFFUSE | FVF_SPECULAR | FVF_TEX1;

// Bytes of one vertex of a layout; 0 when the layout is not one the device draws.
int vertex_stride(uint32_t fvf);

// The full layout as a struct (32 bytes).
struct TLVertex {
    float x = 0, y = 0, z = 0, rhw = 1;
    uint32_t diffuse = 0xFFFFFFFF;
    uint32_t specular = 0xFF000000;
    float u = 0, v = 0;
};
static_assert(sizeof(TLVertex) == 32);

struct VertexBuffer {
    uint32_t fvf = 0;
    int stride = 0;
    int capacity = 0; // vertices
    std::vector<uint8_t> data;
    bool locked = false;
};

using VertexBufferPtr = std::unique_ptr<VertexBuffer>;

// Largest vertex buffer and largest draw call, in vertices.
inline constexpr int k_max_vertices = 65536;

Result vertex_buffer_create(uint32_t fvf, int capacity, VertexBufferPtr& out);
// The whole buffer for writing; the buffer cannot be drawn from until unlocked.
Result vertex_buffer_lock(VertexBuffer& vb, void*& data);
void vertex_buffer_unlock(VertexBuffer& vb);

// ---- Textures
// -------------------------------------------------------------------------------------

// A texture: texels in one of the device's texture formats. Write them only between texture_lock
// and texture_unlock, or with texture_copy_from: the device keeps a decoded copy for sampling and
// renews it after either.
struct Texture {
    int width = 0, height = 0;
    PixelFormat format;
    SurfacePtr texels;
    std::vector<uint32_t> argb; // decoded 0xAARRGGBB texels, rows top first
    bool stale = true;          // argb does not yet show the last writes
};

// Shared: the device keeps the texture it draws with alive, as the caller's table does, so
// releasing or replacing a table entry never leaves the device with a dangling texture.
using TexturePtr = std::shared_ptr<Texture>;

// Fails for a size beyond the device's limits, for a size the device's pow2/square requirements
// do not allow, and for a format it does not list.
struct Device3D;
Result texture_create(const Device3D& device, int width, int height, const PixelFormat& format,
                      TexturePtr& out);
Result texture_lock(Texture& texture, LockedRect& out);
void texture_unlock(Texture& texture);
// Copy a surface of the texture's bit count over the whole texture, stretched to its size
// (nearest texel) when the sizes differ.
Result texture_copy_from(Texture& texture, Surface& source);

// The size of a texture for a picture: rounded up to powers of two when the device requires them
// (1 stays 1), then the larger side for both when it requires square textures.
void texture_size_for(const DeviceCaps& caps, int& width, int& height);

// Pack 8-bit alpha, red, green and blue (0xAARRGGBB) into a texel word of `format`: each channel
// keeps its high bits, as many as its mask has, moved to the mask's place.
uint32_t pack_argb(const PixelFormat& format, uint32_t argb);

// The texture made from a ".bmp" or ".tga" file by name, with the default size and format: the
// picture's own size rounded up as the device requires (the picture is resampled to fill it),
// 8-8-8-8 when the picture has alpha, else x-8-8-8. Fails when the file cannot be read or decoded.
Result texture_create_from_file(const Device3D& device, const char* path, TexturePtr& out);

// ---- The device ---------------------------------------------------------------------------------

struct Device3DDeleter {
    void operator()(Device3D* device) const;
};
using Device3DPtr = std::unique_ptr<Device3D, Device3DDeleter>;

// A device rendering into `target` (a back buffer). Fails when the driver cannot render into a
// surface of that bit depth.
Result device_create(const Driver3D& driver, Surface& target, Device3DPtr& out);

const DeviceCaps& device_caps(const Device3D& device);
const std::vector<PixelFormat>& device_texture_formats(const Device3D& device);

// The depth surface the device tests and writes: same size as the target, a depth format.
Result device_attach_depth(Device3D& device, Surface& depth);
void device_detach_depth(Device3D& device);
Surface* device_depth(const Device3D& device);
// Render into `target` from now on; the attached depth surface must match its size.
Result device_set_render_target(Device3D& device, Surface& target);

struct Viewport {
    int x = 0, y = 0, width = 0, height = 0;
    float min_z = 0, max_z = 1;
};

// Drawing is limited to the viewport rectangle (within the target).
Result device_set_viewport(Device3D& device, const Viewport& viewport);

// Draw calls are accepted only between begin and end.
Result device_begin_scene(Device3D& device);
Result device_end_scene(Device3D& device);

// Set every stencil value of the attached depth surface, leaving depth and colour as they are.
Result device_clear_stencil(Device3D& device, uint32_t value);

enum class RenderState {
    z_enable,
    z_write_enable,
    z_func, // Compare
    alpha_blend_enable,
    src_blend,  // Blend
    dest_blend, // Blend
    alpha_test_enable,
    alpha_ref,  // 0..255
    alpha_func, // Compare
    cull_mode,  // Cull
    shade_mode, // Shade
    dither_enable,
    specular_enable,
    fog_enable,
    fog_color, // 0x00RRGGBB
    stencil_enable,
    stencil_func, // Compare
    stencil_ref,
    stencil_mask,
    stencil_write_mask,
    stencil_fail,        // StencilOp
    stencil_zfail,       // StencilOp
    stencil_pass,        // StencilOp
    texture_perspective, // off: texture coordinates interpolated linearly on the screen
    // Accepted and kept; they do not change how pre-transformed vertices are drawn.
    clipping,
    lighting,
    extents,
};

enum Compare : uint32_t {
    CMP_NEVER = 1,
    CMP_LESS,
    CMP_EQUAL,
    CMP_LESSEQUAL,
    CMP_GREATER,
    CMP_NOTEQUAL,
    CMP_GREATEREQUAL,
    CMP_ALWAYS,
};

enum Blend : uint32_t {
    BLEND_ZERO = 1,
    BLEND_ONE,
    BLEND_SRCCOLOR,
    BLEND_INVSRCCOLOR,
    BLEND_SRCALPHA,
    BLEND_INVSRCALPHA,
    BLEND_DESTALPHA, // the target has no alpha: reads as 1
    BLEND_INVDESTALPHA,
    BLEND_DESTCOLOR,
    BLEND_INVDESTCOLOR,
};

// Which winding is culled: clockwise or counter-clockwise as seen on the screen (y down).
enum Cull : uint32_t {
    CULL_NONE = 1,
    CULL_CW,
    CULL_CCW,
};

enum Shade : uint32_t {
    SHADE_FLAT = 1, // every triangle in the colours of its first vertex
    SHADE_GOURAUD,
};

enum StencilOp : uint32_t {
    STENCILOP_KEEP = 1,
    STENCILOP_ZERO,
    STENCILOP_REPLACE,
    STENCILOP_INCRSAT,
    STENCILOP_DECRSAT,
    STENCILOP_INVERT,
    STENCILOP_INCR,
    STENCILOP_DECR,
};

// Fails, changing nothing, for a value the state does not take.
Result device_set_render_state(Device3D& device, RenderState state, uint32_t value);
uint32_t device_render_state(const Device3D& device, RenderState state);

enum class StageState {
    color_op,   // TextureOp
    color_arg1, // TextureArg
    color_arg2,
    alpha_op,
    alpha_arg1,
    alpha_arg2,
    min_filter, // TextureFilter
    mag_filter,
};

enum TextureOp : uint32_t {
    TOP_DISABLE = 1, // the stage passes the diffuse colour (or alpha) on
    TOP_SELECTARG1,
    TOP_SELECTARG2,
    TOP_MODULATE,
};

enum TextureArg : uint32_t {
    TA_DIFFUSE = 0,
    TA_CURRENT = 1, // in stage 0, the diffuse colour
    TA_TEXTURE = 2,
};

enum TextureFilter : uint32_t {
    TEXF_POINT = 1,
    TEXF_LINEAR = 2,
};

// Only stage 0 exists.
Result device_set_texture_stage_state(Device3D& device, int stage, StageState state,
                                      uint32_t value);
uint32_t device_texture_stage_state(const Device3D& device, StageState state);
// The device holds on to the texture until another (or none) is set.
Result device_set_texture(Device3D& device, int stage, TexturePtr texture);

enum class Primitive {
    triangle_list,
    triangle_strip,
    line_strip,
    point_list,
};

// Draw `count` vertices of layout `fvf` from user memory.
Result device_draw_primitive(Device3D& device, Primitive primitive, uint32_t fvf,
                             const void* vertices, int count);
// Draw `count` vertices from `start` of an unlocked vertex buffer.
Result device_draw_primitive_vb(Device3D& device, Primitive primitive, VertexBuffer& vb, int start,
                                int count);
// Draw through an index list; indices count from `start` and must stay below start + count
// (a primitive with an index beyond is skipped).
Result device_draw_indexed_primitive_vb(Device3D& device, Primitive primitive, VertexBuffer& vb,
                                        int start, int count, const uint16_t* indices,
                                        int index_count);
