// Screen quads written straight into the shared, locked quad vertex buffer and drawn with one
// indexed call. The buffer's texture coordinates and reciprocal w were filled once when it was
// made; a writer sets only positions and colours. At most 512 quads fit; a batch that is full
// keeps no more.
#pragma once

#include <cstdint>
#include <span>

#include "platform/device3d.h"

inline constexpr int k_quad_capacity = 512;

// Quad q is the triangles (4q, 4q+1, 4q+2) and (4q+1, 4q+2, 4q+3); the corners are top left,
// bottom left, top right, bottom right, as the buffer's texture coordinates are.
std::span<const uint16_t> quad_indices();

// Fill every vertex's reciprocal w (0.5) and texture coordinates (the corners just inside the
// texture's edges, so linear filtering does not wrap around). False when it cannot be locked.
bool prepare_quad_buffer(VertexBuffer& buffer);

struct QuadBatch {
    VertexBuffer* buffer = nullptr;
    TLVertex* vertices = nullptr; // null: the buffer could not be locked
    int capacity = 0;             // quads
    int count = 0;                // quads kept
};

// Lock the buffer; a buffer that cannot be locked gives a batch that keeps nothing.
QuadBatch quad_batch_begin(VertexBuffer* buffer);
// The four vertices of the next quad, or null when the batch is full. They count only once
// kept.
TLVertex* quad_batch_next(QuadBatch& batch);
void quad_batch_keep(QuadBatch& batch);
// Unlock the buffer (the quads can be drawn afterwards).
void quad_batch_end(QuadBatch& batch);
// Quads first .. first + count - 1 of an unlocked buffer as one indexed triangle list.
void draw_quads(Device3D& device, VertexBuffer& buffer, int first, int count);
