#include "resources/model.h"

#include <cmath>
#include <cstring>

#include "resources/asset_file.h"
#include "resources/byte_io.h"

namespace {

// u * 65535 truncated toward zero, kept inside the 32-bit range.
int32_t fixed_uv(float f) {
    const double v = static_cast<double>(f) * 65535.0;
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(v);
}

std::vector<uint16_t> read_u16s(std::span<const uint8_t> bytes) {
    std::vector<uint16_t> v(bytes.size() / 2);
    for (size_t i = 0; i < v.size(); ++i) v[i] = get_u16le(bytes.data() + 2 * i);
    return v;
}

bool all_below(const std::vector<uint16_t>& indices, uint32_t count) {
    for (uint16_t i : indices)
        if (i >= count) return false;
    return true;
}

bool decode_part(ByteReader& r, float normal_scale, bool hardware_acceleration, ModelPart& part) {
    std::span<const uint8_t> header, vi, ui, pos, uv, nrm, frm;
    if (!r.take(k_model_header_bytes, header)) return false;
    ModelPartHeader& h = part.header;
    h.index_count = get_u32le(header.data());
    h.vertex_count = get_u32le(header.data() + 4);
    h.uv_index_count = get_u32le(header.data() + 8);
    h.uv_count = get_u32le(header.data() + 12);
    h.frame_count = get_u32le(header.data() + 16);
    h.material = get_u32le(header.data() + 20);
    std::memcpy(h.reserved.data(), header.data() + 24, 64);
    // Each take checks the count against what the file still holds before anything is allocated.
    const uint64_t v = h.vertex_count;
    if (!r.take(2ull * h.index_count, vi) || !r.take(2ull * h.uv_index_count, ui) ||
        !r.take(12 * v, pos) || !r.take(8ull * h.uv_count, uv) || !r.take(12 * v, nrm) ||
        !r.take(64ull * h.frame_count, frm))
        return false;
    part.vertex_indices = read_u16s(vi);
    part.uv_indices = read_u16s(ui);
    if (!all_below(part.vertex_indices, h.vertex_count) || !all_below(part.uv_indices, h.uv_count))
        return false;

    part.positions.resize(v);
    part.normals.resize(v);
    for (size_t i = 0; i < v; ++i) {
        const float x = get_f32le(pos.data() + 12 * i), y = get_f32le(pos.data() + 12 * i + 4);
        part.positions[i] = {x, y, get_f32le(pos.data() + 12 * i + 8), x * y};
        const float nx = get_f32le(nrm.data() + 12 * i) * normal_scale;
        const float ny = get_f32le(nrm.data() + 12 * i + 4) * normal_scale;
        part.normals[i] = {nx, ny, get_f32le(nrm.data() + 12 * i + 8) * normal_scale, nx * ny};
    }
    if (hardware_acceleration) {
        part.uvs.resize(h.uv_count);
        for (size_t i = 0; i < h.uv_count; ++i)
            part.uvs[i] = {get_f32le(uv.data() + 8 * i), get_f32le(uv.data() + 8 * i + 4)};
    } else {
        part.uvs_fixed.resize(h.uv_count);
        for (size_t i = 0; i < h.uv_count; ++i)
            part.uvs_fixed[i] = {fixed_uv(get_f32le(uv.data() + 8 * i)),
                                 fixed_uv(get_f32le(uv.data() + 8 * i + 4))};
    }
    part.frames.resize(h.frame_count);
    for (size_t f = 0; f < h.frame_count; ++f)
        for (int k = 0; k < 16; ++k)
            part.frames[f].m[k / 4][k % 4] = get_f32le(frm.data() + 64 * f + 4 * k);
    part.screen_vertices.resize(v + 2);
    for (size_t i = 0; i < v; ++i) part.screen_vertices[i].specular = 0xFF000000u;
    part.view_normals.resize(v + 2);
    return true;
}

} // namespace

bool decode_model(std::span<const uint8_t> file, float normal_scale, bool hardware_acceleration,
                  Model& model) {
    ByteReader r(file);
    uint32_t count = 0;
    if (!r.u32(count) || count > r.remaining() / k_model_header_bytes) return false;
    std::vector<ModelPart> parts(count);
    for (ModelPart& part : parts)
        if (!decode_part(r, normal_scale, hardware_acceleration, part)) return false;
    model.part_count = count;
    model.parts = std::move(parts);
    return true;
}

void load_model_parts(Model& model, std::string_view path, float normal_scale,
                      bool hardware_acceleration) {
    if (!model.parts.empty()) return;
    std::vector<uint8_t> file;
    if (!read_asset(path, k_model_file_max, file)) return;
    decode_model(file, normal_scale, hardware_acceleration, model);
}

void release_model(Model& model) {
    model.parts.clear();
    model.parts.shrink_to_fit();
    model.part_count = 0;
}

std::vector<uint8_t> encode_model(std::span<const ModelPartSource> parts) {
    std::vector<uint8_t> out;
    put_u32le(out, static_cast<uint32_t>(parts.size()));
    for (const ModelPartSource& p : parts) {
        if (p.normals.size() != p.positions.size()) return {};
        put_u32le(out, static_cast<uint32_t>(p.vertex_indices.size()));
        put_u32le(out, static_cast<uint32_t>(p.positions.size()));
        put_u32le(out, static_cast<uint32_t>(p.uv_indices.size()));
        put_u32le(out, static_cast<uint32_t>(p.uvs.size()));
        put_u32le(out, static_cast<uint32_t>(p.frames.size()));
        put_u32le(out, p.material);
        out.insert(out.end(), p.reserved.begin(), p.reserved.end());
        for (uint16_t i : p.vertex_indices) put_u16le(out, i);
        for (uint16_t i : p.uv_indices) put_u16le(out, i);
        for (const Vec3& v : p.positions)
            put_f32le(out, v.x), put_f32le(out, v.y), put_f32le(out, v.z);
        for (const auto& uv : p.uvs) put_f32le(out, uv[0]), put_f32le(out, uv[1]);
        for (const Vec3& n : p.normals)
            put_f32le(out, n.x), put_f32le(out, n.y), put_f32le(out, n.z);
        for (const Matrix& m : p.frames)
            for (int k = 0; k < 16; ++k) put_f32le(out, m.m[k / 4][k % 4]);
    }
    return out;
}
