// From the device's states to what the rasteriser needs for one draw call: the feature bits,
// the resolved texture stage, the surfaces and the triangle functions.
#include "platform/device3d_pixel.h"

using namespace raster;

namespace {

bool factor_reads_src_alpha(uint32_t factor) {
    return factor == BLEND_SRCALPHA || factor == BLEND_INVSRCALPHA;
}

bool op_reads(uint32_t op, uint32_t arg1, uint32_t arg2, uint32_t what) {
    switch (op) {
    case TOP_SELECTARG1:
        return arg1 == what;
    case TOP_SELECTARG2:
        return arg2 == what;
    case TOP_MODULATE:
        return arg1 == what || arg2 == what;
    default:
        return false;
    }
}

uint8_t stage0_arg(uint32_t arg) {
    return static_cast<uint8_t>(arg == TA_CURRENT ? TA_DIFFUSE : arg);
}

// The two colour stages the game draws with, recognised so the pixel pipeline need not ask.
// Any argument but the texture reads the diffuse colour.
uint32_t colour_stage_feature(const Raster& r) {
    const bool tex1 = r.colour_arg1 == TA_TEXTURE, tex2 = r.colour_arg2 == TA_TEXTURE;
    if (r.colour_op == TOP_MODULATE && tex1 != tex2) return F_MODULATE;
    if ((r.colour_op == TOP_SELECTARG1 && tex1) || (r.colour_op == TOP_SELECTARG2 && tex2))
        return F_SELECT_TEX;
    return 0;
}

int pow2_mask(int size) {
    return (size & (size - 1)) == 0 ? size - 1 : -1;
}

void prepare_stage(const Device3D& d, Raster& r) {
    Texture* tex = d.texture.get();
    const StageStates& t = d.ts;
    const bool bound = tex != nullptr && tex->width > 0 && tex->height > 0;
    r.colour_op = static_cast<uint8_t>(bound ? t.color_op : TOP_DISABLE);
    r.alpha_op = static_cast<uint8_t>(bound && (r.features & F_ALPHA) ? t.alpha_op : TOP_DISABLE);
    r.colour_arg1 = stage0_arg(t.color_arg1);
    r.colour_arg2 = stage0_arg(t.color_arg2);
    r.alpha_arg1 = stage0_arg(t.alpha_arg1);
    r.alpha_arg2 = stage0_arg(t.alpha_arg2);
    const bool reads = op_reads(r.colour_op, r.colour_arg1, r.colour_arg2, TA_TEXTURE) ||
                       op_reads(r.alpha_op, r.alpha_arg1, r.alpha_arg2, TA_TEXTURE);
    if (!reads) return;
    texture_refresh(*tex);
    r.features |= F_TEX | colour_stage_feature(r);
    r.texels = tex->argb.data();
    r.tex_width = tex->width;
    r.tex_height = tex->height;
    r.tex_wmask = pow2_mask(tex->width);
    r.tex_hmask = pow2_mask(tex->height);
    if (r.tex_wmask >= 0 && r.tex_hmask >= 0) r.features |= F_TEXPOW2;
    r.min_linear = t.min_filter == TEXF_LINEAR;
    r.mag_linear = t.mag_filter == TEXF_LINEAR;
}

void prepare_depth(const Device3D& d, Raster& r) {
    const RenderStates& s = d.rs;
    Surface* depth = d.depth;
    if (depth == nullptr || !(s.z_enable || s.stencil)) return;
    r.features |= F_DEPTH;
    if (depth->format.bit_count == 32) {
        r.features |= F_DEPTH32;
        r.z_scale = 16777215;
    }
    r.depth = depth->pixels.data();
    r.depth_pitch = depth->pitch;
    if (s.z_enable) r.features |= F_ZTEST;
    if (s.z_enable && s.z_write) r.features |= F_ZWRITE;
    if (s.stencil) r.features |= F_STENCIL;
    r.z_func = s.z_func;
    r.stencil_func = s.stencil_func;
    r.stencil_ref = s.stencil_ref;
    r.stencil_mask = s.stencil_mask;
    r.stencil_write_mask = s.stencil_write_mask;
    r.stencil_fail = s.stencil_fail;
    r.stencil_zfail = s.stencil_zfail;
    r.stencil_pass = s.stencil_pass;
}

void prepare_blend(const RenderStates& s, Raster& r) {
    if (!s.blend || (s.src_blend == BLEND_ONE && s.dest_blend == BLEND_ZERO)) return;
    // Shadow volumes blend with (zero, one) to count in the stencil alone: no colour work at all.
    if (s.src_blend == BLEND_ZERO && s.dest_blend == BLEND_ONE) {
        r.features |= F_NOCOLOUR;
        return;
    }
    // Blob shadows darken the floor by their picture: the target times the inverse colour.
    if (s.src_blend == BLEND_ZERO && s.dest_blend == BLEND_INVSRCCOLOR) {
        r.features |= F_BLEND_DARKEN;
        return;
    }
    // Fires, glows and sparks add their light to the target.
    if (s.src_blend == BLEND_ONE && s.dest_blend == BLEND_ONE) {
        r.features |= F_BLEND_ADD;
        return;
    }
    const bool by_alpha = s.src_blend == BLEND_SRCALPHA && s.dest_blend == BLEND_INVSRCALPHA;
    r.features |= by_alpha ? F_BLEND_ALPHA : F_BLEND;
    if (factor_reads_src_alpha(s.src_blend) || factor_reads_src_alpha(s.dest_blend))
        r.features |= F_ALPHA;
    r.src_blend = s.src_blend;
    r.dest_blend = s.dest_blend;
}

Result usable(const Surface& s) {
    if (s.lost) return Result::surface_lost;
    if (s.lock_count > 0) return Result::surface_busy;
    return Result::ok;
}

} // namespace

Result raster_prepare(Device3D& d, Raster& r) {
    Surface& target = *d.target;
    if (Result res = usable(target); res != Result::ok) return res;
    const RenderStates& s = d.rs;
    if (d.depth && (s.z_enable || s.stencil))
        if (Result res = usable(*d.depth); res != Result::ok) return res;

    r = Raster{};
    const Viewport& vp = d.viewport;
    r.clip_x0 = std::max(vp.x, 0);
    r.clip_y0 = std::max(vp.y, 0);
    r.clip_x1 = std::min(vp.x + vp.width, target.width);
    r.clip_y1 = std::min(vp.y + vp.height, target.height);
    r.colour = target.pixels.data();
    r.colour_pitch = target.pitch;
    if (target.format == k_format_rgb565) r.features |= F_TARGET16;
    if (target.format == k_format_rgb555) r.features |= F_TARGET15;

    prepare_depth(d, r);
    prepare_blend(s, r);
    if (s.alpha_test) r.features |= F_ATEST | F_ALPHA;
    if (s.specular) r.features |= F_SPEC;
    if (s.fog) r.features |= F_FOG;
    prepare_stage(d, r);

    r.alpha_func = s.alpha_func;
    r.alpha_ref = s.alpha_ref;
    r.fog_color = s.fog_color;
    r.cull = s.cull;
    r.flat = s.shade == SHADE_FLAT;
    r.perspective = s.perspective;
    for (int p = 0; p < 2; ++p)
        for (int g = 0; g < 2; ++g)
            r.triangle[p][g] =
                triangle_function(r.features | (p ? F_PERSP : 0u) | (g ? F_GOURAUD : 0u));
    return Result::ok;
}
