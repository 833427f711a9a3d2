// The demo's heroes as models: one rigid part per bone of the skeleton, each a low tube mesh
// with texture coordinates into its region of the hero's 256x256 texture, and the texture
// itself, painted from the hero's look. The cube the heroes juggle in the hero-choice scene is
// here too: as a part of a hero's model while a hero holds it, and as a model of its own.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "resources/model.h"
#include "tools/demo/model_mesh.h"
#include "tools/demo/painter.h"
#include "tools/demo/skeleton.h"

// What makes one hero look like himself.
struct HeroLook {
    std::string name;
    BodyShape body;
    V3d skin, hair, tunic, tunic_trim, trousers, boots, belt, eyes;
    bool cap = false;   // a pointed cap
    bool beard = false; // a full beard
    double girth = 1;   // width of torso and limbs
    uint32_t seed = 1;
};

HeroLook tovi_look();
HeroLook brask_look();

// The pose of every frame of a model.
using PoseTrack = std::function<Pose(int frame)>;

// A cube held in the right hand during frames first..last (collapsed in all other frames), and
// where it is then, in model space.
struct CubeInHand {
    int first = 0, last = -1;
    std::function<Frame3(int frame, const std::array<Frame3, bone_count>& bones)> place;
};

// The model file's parts of a hero (material 0: the hero's texture). `turn` is a yaw applied to
// the whole model in every frame.
std::vector<ModelPartSource> hero_model(const HeroLook& look, int frame_count,
                                        const PoseTrack& track, double turn = 0,
                                        const CubeInHand* cube = nullptr);
Canvas hero_texture(const HeroLook& look);

inline constexpr double k_cube_size = 1.6;
// The cube's face design in a hero's texture (all six faces use it).
UvRect cube_region_in_hero_texture();

// The cube as a model of its own, placed by `place` in each frame; its texture is one face.
std::vector<ModelPartSource> cube_model(int frame_count, const std::function<Frame3(int)>& place);
Canvas cube_texture();
// Paint the cube's face into a rectangle of a canvas.
void paint_cube_face(Canvas& c, int x0, int y0, int size);
