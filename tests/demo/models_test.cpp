// The generated models read back through the game's model reader: parts and frames as the
// set-ups need them, loops that close, feet that stay on the ground, stair steps of the stair's
// height, and the cube that passes from the heroes' hands to its own model without a jump.
#include <cmath>

#include <gtest/gtest.h>

#include "render/camera.h"
#include "resources/model.h"
#include "scenes/character_setup.h"
#include "tools/demo/hero_motion.h"
#include "tools/demo/models.h"

namespace {

// Each model made on its own, only when a test asks for it.
Model load(const std::string& path) {
    Model m;
    const std::vector<uint8_t> bytes = model_file(path);
    EXPECT_FALSE(bytes.empty()) << path;
    EXPECT_TRUE(decode_model(bytes, 1.0f, true, m)) << path;
    return m;
}

// Where a vertex of a part is in a frame.
Vec3 placed(const ModelPart& part, size_t vertex, int frame) {
    const auto& p = part.positions[vertex];
    return transform_point({p[0], p[1], p[2]}, part.frames[static_cast<size_t>(frame)]);
}

// The lowest point of a part in a frame (y grows downwards: the largest y) and its z there.
Vec3 lowest(const ModelPart& part, int frame) {
    Vec3 best{0, -1e9f, 0};
    for (size_t v = 0; v < part.positions.size(); ++v) {
        const Vec3 q = placed(part, v, frame);
        if (q.y > best.y) best = q;
    }
    return best;
}

float frame_difference(const Model& m, int a, int b) {
    float worst = 0;
    for (const ModelPart& part : m.parts)
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                worst = std::max(worst, std::fabs(part.frames[static_cast<size_t>(a)].m[r][c] -
                                                  part.frames[static_cast<size_t>(b)].m[r][c]));
    return worst;
}

constexpr int k_foot_l = 11, k_foot_r = 14; // parts carrying the feet

} // namespace

TEST(DemoModels, EveryModelHasThePartsAndFramesItsSetUpNames) {
    struct Case {
        const char* path;
        size_t parts;
        uint32_t frames;
    };
    for (const Case& c :
         {Case{"models/tovi.ani", 15, 2029}, Case{"models/brask.ani", 15, 2029},
          Case{"models/tovi_choice.ani", 16, 501}, Case{"models/brask_choice.ani", 16, 501},
          Case{"models/kub_tovi.ani", 1, 198}, Case{"models/boar.ani", 11, 292},
          Case{"models/fly.ani", 3, 8}, Case{"models/shade.ani", 1, 1}}) {
        SCOPED_TRACE(c.path);
        const Model m = load(c.path);
        ASSERT_EQ(m.parts.size(), c.parts);
        for (const ModelPart& part : m.parts) {
            EXPECT_EQ(part.header.frame_count, c.frames);
            EXPECT_GT(part.header.index_count, 0u);
            EXPECT_EQ(part.header.index_count % 3, 0u);
            EXPECT_EQ(part.header.uv_index_count, part.header.index_count);
        }
    }
}

TEST(DemoModels, LoopingClipsCloseOnThemselves) {
    const Model tovi = load("models/tovi.ani"), brask = load("models/brask.ani");
    const Model choice = load("models/tovi_choice.ani");
    struct Loop {
        const Model* m;
        int loop_to, last;
    };
    // Rest, walk, run, stair cycles up and down, the held kneeling pose, the choice rest.
    for (const Loop& l : {Loop{&tovi, 748, 783}, Loop{&tovi, 8, 38}, Loop{&tovi, 2008, 2028},
                          Loop{&tovi, 854, 879}, Loop{&tovi, 928, 953}, Loop{&tovi, 1413, 1468},
                          Loop{&brask, 172, 214}, Loop{&brask, 776, 796}, Loop{&brask, 817, 842},
                          Loop{&brask, 921, 946}, Loop{&choice, 0, 55}, Loop{&choice, 284, 327}})
        EXPECT_LT(frame_difference(*l.m, l.loop_to, l.last), 0.05f) << l.loop_to << ".." << l.last;
}

TEST(DemoModels, FeetStayOnTheGroundAndPlantedWhileWalking) {
    const Model tovi = load("models/tovi.ani");
    // Standing: both soles on the ground.
    for (int f : {748, 765, 783, 0, 459, 1218})
        for (int foot : {k_foot_l, k_foot_r})
            EXPECT_NEAR(lowest(tovi.parts[static_cast<size_t>(foot)], f).y, 0, 0.12) << f;
    // Walking: the left foot comes down at frame 10 and then moves back under the body at the
    // walking speed, so that it stays put on the ground while the character moves on.
    const ModelPart& left = tovi.parts[k_foot_l];
    for (int f = 14; f <= 20; ++f) {
        EXPECT_NEAR(lowest(left, f).y, 0, 0.2) << f;
        const float moved = placed(left, 0, f).z - placed(left, 0, f - 1).z;
        EXPECT_NEAR(moved, k_walk_speed, 0.05) << f;
    }
}

TEST(DemoModels, StairClimbsStepOnTreadsOfTheStairsHeight) {
    const Model tovi = load("models/tovi.ani");
    // Climbing (state 11, rising 0.16 per frame): a foot lands one rise (2.0) above the
    // model's floor and, standing on its tread, sinks by the rise of each frame.
    const ModelPart& left = tovi.parts[k_foot_l];
    const ModelPart& right = tovi.parts[k_foot_r];
    const float landed = lowest(right, 867).y;
    EXPECT_NEAR(landed, -k_stair_rise, 0.25);
    for (int f = 868; f <= 875; ++f)
        EXPECT_NEAR(lowest(right, f).y - lowest(right, f - 1).y, 0.16, 0.02) << f;
    // The other foot is on the tread below at the same time.
    EXPECT_GT(lowest(left, 868).y, landed + 1.5);
    // Going down (state 12, sinking 0.16 per frame): a foot lands below the model's floor and
    // rises with every frame while it stands.
    EXPECT_GT(lowest(right, 941).y, 0.2);
    for (int f = 942; f <= 948; ++f)
        EXPECT_NEAR(lowest(right, f).y - lowest(right, f - 1).y, -0.16, 0.02) << f;
}

TEST(DemoModels, SurfacesFaceOutwards) {
    // Culling clockwise faces keeps what faces the viewer only if every triangle's
    // (b - a) x (c - a) points out of its solid: then each closed piece of a part (a limb, a
    // head, a box) encloses a positive signed volume.
    for (const char* path : {"models/tovi.ani", "models/brask.ani", "models/tovi_choice.ani",
                             "models/boar.ani", "models/kub_tovi.ani", "models/fly.ani"}) {
        const Model m = load(path);
        for (size_t pi = 0; pi < m.parts.size(); ++pi) {
            const ModelPart& part = m.parts[pi];
            // Pieces: triangles joined by shared corners (a box's faces have corners of their
            // own at the same places).
            std::vector<int> corner(part.positions.size());
            for (size_t v = 0; v < part.positions.size(); ++v) {
                corner[v] = static_cast<int>(v);
                for (size_t w = 0; w < v; ++w)
                    if (part.positions[w] == part.positions[v]) {
                        corner[v] = corner[w];
                        break;
                    }
            }
            std::vector<int> piece(part.positions.size(), -1);
            int pieces = 0;
            for (size_t t = 0; t + 2 < part.vertex_indices.size(); t += 3) {
                int id = -1;
                for (int k = 0; k < 3; ++k)
                    id =
                        std::max(id, piece[static_cast<size_t>(
                                         corner[part.vertex_indices[t + static_cast<size_t>(k)]])]);
                if (id < 0) id = pieces++;
                for (int k = 0; k < 3; ++k) {
                    const size_t c = static_cast<size_t>(
                        corner[part.vertex_indices[t + static_cast<size_t>(k)]]);
                    const int old = piece[c];
                    if (old >= 0 && old != id) {
                        for (int& p : piece)
                            if (p == old) p = id;
                    }
                    piece[c] = id;
                }
            }
            std::vector<double> volume(static_cast<size_t>(pieces), 0.0);
            for (size_t t = 0; t + 2 < part.vertex_indices.size(); t += 3) {
                const auto& a = part.positions[part.vertex_indices[t]];
                const auto& b = part.positions[part.vertex_indices[t + 1]];
                const auto& c = part.positions[part.vertex_indices[t + 2]];
                const Vec3 va{a[0], a[1], a[2]}, vb{b[0], b[1], b[2]}, vc{c[0], c[1], c[2]};
                volume[static_cast<size_t>(
                    piece[static_cast<size_t>(corner[part.vertex_indices[t]])])] +=
                    dot(va, cross(vb, vc)) / 6.0;
            }
            for (size_t k = 0; k < volume.size(); ++k) {
                bool used = false;
                for (int p : piece) used = used || p == static_cast<int>(k);
                if (used) {
                    EXPECT_GT(volume[k], 0) << path << " part " << pi << " piece " << k;
                }
            }
        }
    }
}

TEST(DemoModels, TheCubeLeavesTheHandWhereItsOwnModelTakesOver) {
    const Model tovi = load("models/tovi_choice.ani"), brask = load("models/brask_choice.ani");
    const Model cube = load("models/kub_tovi.ani");
    for (const Model* hero : {&tovi, &brask}) {
        const ModelPart& held = hero->parts.back();
        // Shown only from the catch to the throw.
        EXPECT_LT(std::fabs(held.frames[k_cube_caught - 1].m[0][0]), 0.01f);
        EXPECT_GT(std::fabs(held.frames[k_cube_caught].m[1][1]), 0.5f);
        EXPECT_LT(std::fabs(held.frames[k_cube_thrown + 1].m[0][0]), 0.01f);
        // At the throw both models have it at the same place, on their vertical axis, so that
        // the turn each choice model makes to face the camera does not move it.
        const Matrix& a = held.frames[k_cube_thrown];
        const Matrix& b = cube.parts[0].frames[k_cube_thrown];
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(a.m[3][c], b.m[3][c], 1e-3) << c;
        // Turned alike up to a quarter turn (a cube looks the same), within a few degrees.
        const float angle_a = std::atan2(a.m[0][2], a.m[0][0]),
                    angle_b = std::atan2(b.m[0][2], b.m[0][0]);
        const float quarter = 3.14159265f / 2;
        const float diff = std::remainder(angle_a - angle_b, quarter);
        EXPECT_LT(std::fabs(diff), 0.1f);
    }
    // It comes to rest on the floor, half its size above the model's ground.
    EXPECT_NEAR(cube.parts[0].frames[k_cube_rests].m[3][1], -k_cube_size / 2, 1e-3);
}

// The frames the generator animates for each state are the frames the characters' set-ups play.
TEST(DemoModels, ClipsAreTheFramesTheSetUpsPlay) {
    struct Case {
        const char* who;
        HeroAnimation animation;
        Actor& (*setup)(Actor&);
    };
    const Case cases[] = {{"Tovi", tovi_animation(), setup_tovi},
                          {"Brask", brask_animation(), setup_brask},
                          {"choice", choice_animation(), setup_choice}};
    for (const Case& c : cases) {
        Actor a;
        c.setup(a);
        for (const Clip& clip : c.animation.clips) {
            if (clip.state < 0) continue;
            const AnimEntry& e = a.anims[size_t(clip.state)];
            SCOPED_TRACE(::testing::Message() << c.who << " state " << clip.state);
            EXPECT_EQ(e.first, float(clip.first));
            EXPECT_EQ(e.last, float(clip.last));
            if (clip.loop_to >= 0) {
                EXPECT_EQ(e.loop_to, float(clip.loop_to));
            }
        }
    }
}
