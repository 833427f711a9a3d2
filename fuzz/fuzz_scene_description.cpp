// Any text as a scene description.
#include "app/random.h"
#include "resources/scene_description.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SceneCamera camera;
    Lighting lighting;
    FireTable fires{};
    Random random;
    apply_scene_description(std::span(reinterpret_cast<const char*>(data), size),
                            {camera, lighting, fires, random});
    return 0;
}
