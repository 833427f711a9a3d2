// Vertex layouts, vertex buffers and the draw calls: vertices are read in their layout and
// assembled into triangles, lines and points for the rasteriser.
#include <cstring>

#include "platform/device3d_internal.h"

namespace {

constexpr uint32_t k_known_fvf = FVF_XYZRHW | FVF_DIFFUSE | FVF_SPECULAR | FVF_TEX1;
// More indices than any draw call of the game uses by far; a bound on hostile counts.
constexpr int k_max_indices = 1 << 20;

// Byte offsets of the optional parts of a layout (-1: absent).
struct Layout {
    int stride = 0;
    int diffuse = -1, specular = -1, tex = -1;
};

Layout layout_of(uint32_t fvf) {
    Layout l;
    l.stride = vertex_stride(fvf);
    int at = 16;
    if (fvf & FVF_DIFFUSE) l.diffuse = at, at += 4;
    if (fvf & FVF_SPECULAR) l.specular = at, at += 4;
    if (fvf & FVF_TEX1) l.tex = at;
    return l;
}

RasterVertex fetch(const uint8_t* p, const Layout& l) {
    static_assert(sizeof(RasterVertex) == sizeof(TLVertex));
    RasterVertex v;
    if (l.stride == static_cast<int>(sizeof(TLVertex))) {
        std::memcpy(&v, p, sizeof v); // the full layout is the rasteriser's own
        return v;
    }
    std::memcpy(&v.x, p, 16);
    v.diffuse = 0xFFFFFFFF;
    v.specular = 0xFF000000;
    v.u = v.v = 0;
    if (l.diffuse >= 0) std::memcpy(&v.diffuse, p + l.diffuse, 4);
    if (l.specular >= 0) std::memcpy(&v.specular, p + l.specular, 4);
    if (l.tex >= 0) std::memcpy(&v.u, p + l.tex, 8);
    return v;
}

// The vertices of one draw call: `count` vertices at `base`, reached directly or through an
// index list. An index outside them makes its primitive be skipped.
struct Source {
    const uint8_t* base;
    Layout layout;
    int count;
    const uint16_t* indices;

    bool get(int i, RasterVertex& out) const {
        const int k = indices ? indices[i] : i;
        if (k >= count) return false;
        out = fetch(base + static_cast<size_t>(k) * layout.stride, layout);
        return true;
    }
};

void draw_triangles(const Raster& r, const Source& src, int n, bool strip) {
    RasterVertex v[3];
    if (!strip) {
        for (int i = 0; i + 2 < n; i += 3)
            if (src.get(i, v[0]) && src.get(i + 1, v[1]) && src.get(i + 2, v[2]))
                raster_triangle(r, v[0], v[1], v[2], v[0]);
        return;
    }
    // Every other triangle of a strip is taken in swapped order so that all keep the winding of
    // the first.
    for (int i = 0; i + 2 < n; ++i) {
        if (!src.get(i, v[0]) || !src.get(i + 1, v[1]) || !src.get(i + 2, v[2])) continue;
        if (i % 2 == 0)
            raster_triangle(r, v[0], v[1], v[2], v[0]);
        else
            raster_triangle(r, v[1], v[0], v[2], v[0]);
    }
}

Result draw(Device3D& d, Primitive primitive, const Source& src, int n) {
    if (!d.in_scene) return Result::failed;
    Raster r;
    if (Result res = raster_prepare(d, r); res != Result::ok) return res;
    RasterVertex a, b;
    switch (primitive) {
    case Primitive::triangle_list:
        draw_triangles(r, src, n, false);
        break;
    case Primitive::triangle_strip:
        draw_triangles(r, src, n, true);
        break;
    case Primitive::line_strip:
        for (int i = 0; i + 1 < n; ++i)
            if (src.get(i, a) && src.get(i + 1, b)) raster_line(r, a, b);
        break;
    case Primitive::point_list:
        for (int i = 0; i < n; ++i)
            if (src.get(i, a)) raster_point(r, a);
        break;
    }
    return Result::ok;
}

bool valid_range(const VertexBuffer& vb, int start, int count) {
    return start >= 0 && count >= 0 && start <= vb.capacity && count <= vb.capacity - start;
}

} // namespace

int vertex_stride(uint32_t fvf) {
    if ((fvf & FVF_XYZRHW) == 0 || (fvf & ~k_known_fvf) != 0) return 0;
    return 16 + ((fvf & FVF_DIFFUSE) ? 4 : 0) + ((fvf & FVF_SPECULAR) ? 4 : 0) +
           ((fvf & FVF_TEX1) ? 8 : 0);
}

Result vertex_buffer_create(uint32_t fvf, int capacity, VertexBufferPtr& out) {
    const int stride = vertex_stride(fvf);
    if (stride == 0 || capacity <= 0 || capacity > k_max_vertices) return Result::failed;
    auto vb = std::make_unique<VertexBuffer>();
    vb->fvf = fvf;
    vb->stride = stride;
    vb->capacity = capacity;
    vb->data.assign(static_cast<size_t>(stride) * capacity, 0);
    out = std::move(vb);
    return Result::ok;
}

Result vertex_buffer_lock(VertexBuffer& vb, void*& data) {
    if (vb.locked) return Result::surface_busy;
    vb.locked = true;
    data = vb.data.data();
    return Result::ok;
}

void vertex_buffer_unlock(VertexBuffer& vb) {
    vb.locked = false;
}

Result device_draw_primitive(Device3D& device, Primitive primitive, uint32_t fvf,
                             const void* vertices, int count) {
    const Layout layout = layout_of(fvf);
    if (layout.stride == 0 || count < 0 || count > k_max_vertices) return Result::failed;
    if (count == 0) return device.in_scene ? Result::ok : Result::failed;
    if (vertices == nullptr) return Result::failed;
    const Source src{static_cast<const uint8_t*>(vertices), layout, count, nullptr};
    return draw(device, primitive, src, count);
}

Result device_draw_primitive_vb(Device3D& device, Primitive primitive, VertexBuffer& vb, int start,
                                int count) {
    if (vb.locked) return Result::surface_busy;
    if (!valid_range(vb, start, count)) return Result::failed;
    const Source src{vb.data.data() + static_cast<size_t>(start) * vb.stride, layout_of(vb.fvf),
                     count, nullptr};
    return draw(device, primitive, src, count);
}

Result device_draw_indexed_primitive_vb(Device3D& device, Primitive primitive, VertexBuffer& vb,
                                        int start, int count, const uint16_t* indices,
                                        int index_count) {
    if (vb.locked) return Result::surface_busy;
    if (!valid_range(vb, start, count) || index_count < 0 || index_count > k_max_indices ||
        (index_count > 0 && indices == nullptr))
        return Result::failed;
    const Source src{vb.data.data() + static_cast<size_t>(start) * vb.stride, layout_of(vb.fvf),
                     count, indices};
    return draw(device, primitive, src, index_count);
}
