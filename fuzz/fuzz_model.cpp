// An .ani model, loaded for the 3D device and for the software rasteriser.
#include "resources/model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (bool hardware : {true, false}) {
        Model model;
        if (!decode_model(std::span(data, size), 2.0f, hardware, model)) continue;
        // Every index the drawing code will follow points inside its array.
        for (const ModelPart& p : model.parts) {
            for (uint16_t i : p.vertex_indices)
                if (i >= p.positions.size() || i >= p.normals.size()) __builtin_trap();
            const size_t uvs = hardware ? p.uvs.size() : p.uvs_fixed.size();
            for (uint16_t i : p.uv_indices)
                if (i >= uvs) __builtin_trap();
            if (p.screen_vertices.size() != p.positions.size() + 2) __builtin_trap();
        }
    }
    return 0;
}
