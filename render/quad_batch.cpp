#include "render/quad_batch.h"

#include <algorithm>
#include <array>

namespace {

std::array<uint16_t, k_quad_capacity * 6> make_indices() {
    std::array<uint16_t, k_quad_capacity * 6> list{};
    for (int q = 0; q < k_quad_capacity; ++q) {
        const auto v = static_cast<uint16_t>(4 * q);
        const uint16_t six[6] = {
            v, uint16_t(v + 1), uint16_t(v + 2), uint16_t(v + 1), uint16_t(v + 2), uint16_t(v + 3)};
        std::copy(six, six + 6, list.begin() + 6 * q);
    }
    return list;
}

const std::array<uint16_t, k_quad_capacity* 6> k_indices = make_indices();

} // namespace

std::span<const uint16_t> quad_indices() {
    return k_indices;
}

bool prepare_quad_buffer(VertexBuffer& buffer) {
    static constexpr float k_corner_uv[4][2] = {
        {0.005f, 0.005f}, {0.005f, 0.995f}, {0.995f, 0.005f}, {0.995f, 0.995f}};
    if (buffer.stride != int(sizeof(TLVertex))) return false;
    void* data = nullptr;
    if (vertex_buffer_lock(buffer, data) != Result::ok) return false;
    auto* v = static_cast<TLVertex*>(data);
    for (int i = 0; i < buffer.capacity; ++i) {
        v[i].rhw = 0.5f;
        v[i].u = k_corner_uv[i % 4][0];
        v[i].v = k_corner_uv[i % 4][1];
    }
    vertex_buffer_unlock(buffer);
    return true;
}

QuadBatch quad_batch_begin(VertexBuffer* buffer) {
    QuadBatch b;
    b.buffer = buffer;
    if (buffer == nullptr || buffer->stride != int(sizeof(TLVertex))) return b;
    void* data = nullptr;
    if (vertex_buffer_lock(*buffer, data) != Result::ok) return b;
    b.vertices = static_cast<TLVertex*>(data);
    b.capacity = std::min(k_quad_capacity, buffer->capacity / 4);
    return b;
}

TLVertex* quad_batch_next(QuadBatch& batch) {
    if (batch.vertices == nullptr || batch.count >= batch.capacity) return nullptr;
    return batch.vertices + 4 * batch.count;
}

void quad_batch_keep(QuadBatch& batch) {
    if (batch.vertices != nullptr && batch.count < batch.capacity) ++batch.count;
}

void quad_batch_end(QuadBatch& batch) {
    if (batch.vertices != nullptr) vertex_buffer_unlock(*batch.buffer);
    batch.vertices = nullptr;
}

void draw_quads(Device3D& device, VertexBuffer& buffer, int first, int count) {
    if (count <= 0 || first < 0 || first + count > k_quad_capacity) return;
    device_draw_indexed_primitive_vb(device, Primitive::triangle_list, buffer, 4 * first, 4 * count,
                                     k_indices.data(), 6 * count);
}
