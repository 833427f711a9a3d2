#include "scenes/character_setup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/render/test_hero.h"

TEST(CharacterSetup, ToviRestsWalksAndFidgets) {
    Actor a;
    setup_tovi(a);
    a.model.parts.resize(1);
    EXPECT_EQ(a.may_run, 1);
    EXPECT_EQ(a.shadow_kind, 4);
    EXPECT_FLOAT_EQ(a.collision_radius_sq, 12.25f);
    EXPECT_EQ(a.anims[17].next, 11);
    EXPECT_FLOAT_EQ(a.anims[11].rise_step, -0.16f);
    EXPECT_EQ(a.anims[11].unused[0], 854u);
    EXPECT_EQ(a.anims[13].unused[1], 915u);
    // The rest state plays 748..783 at half speed and loops at 748: the loop frame is hit
    // exactly, so about 3 loops in 16 pick one of the three variations.
    Random r;
    random_seed(r, 7);
    int loops = 0, fidgets = 0;
    a.state = 0;
    a.frame = 748;
    for (int i = 0; i < 200000 && loops < 1600; ++i) {
        actor_frame_step(a, false);
        if (a.state == 0 && a.frame == 748) {
            ++loops;
            actor_idle_variant_choice(a, r);
            if (a.state != 0) ++fidgets;
            a.state = 0;
            a.frame = 748;
        }
    }
    EXPECT_EQ(loops, 1600);
    EXPECT_NEAR(fidgets / 1600.0, 3.0 / 16, 0.03);
}

TEST(CharacterSetup, BraskAndTheSimpleMembers) {
    Actor b;
    setup_hero_by_selector(b, 1);
    EXPECT_EQ(b.material_base, 3);
    EXPECT_FLOAT_EQ(b.anims[0].first, 172);
    EXPECT_FLOAT_EQ(b.anims[18].loop_to, 776);
    EXPECT_FLOAT_EQ(b.anims[24].last, 0); // no state 24
    Actor p;
    setup_prop(p);
    EXPECT_FLOAT_EQ(p.anims[0].loop_to, 0);
    EXPECT_EQ(p.shadow_kind, 0);
    Actor s;
    setup_standing_with_variation(s);
    EXPECT_EQ(s.idle_variants, 1);
    EXPECT_FLOAT_EQ(s.anims[2].loop_to, 241);
}

TEST(CharacterSetup, ASecondModelForTheSameSlotKeepsTheFirst) {
    char dir[] = "/tmp/vantor_setup_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    ASSERT_EQ(chdir(dir), 0);
    std::filesystem::create_directories("models");
    const std::vector<uint8_t> two_parts = hero_model_file();
    std::ofstream("models/first.ani", std::ios::binary)
        .write(reinterpret_cast<const char*>(two_parts.data()), std::streamsize(two_parts.size()));

    Actor a;
    a.draw_rect = a.shadow_rect = {300, 200, 100, 50}; // what a previous character covered
    load_character(a, "models/first.ani", 2, true);
    ASSERT_FALSE(actor_empty(a));
    const std::array<int32_t, 4> empty_rect{0, 0, 639, 479};
    EXPECT_EQ(a.draw_rect, empty_rect);
    EXPECT_EQ(a.shadow_rect, empty_rect);
    a.draw_rect = {300, 200, 100, 50};
    EXPECT_EQ(a.part_count, 3u);
    setup_boar(a);
    a.collision_slot = 3;
    load_character(a, "models/missing.ani", 8, true);
    EXPECT_EQ(a.part_count, 3u) << "the first model stays";
    EXPECT_EQ(a.collision_slot, 15);
    EXPECT_EQ(a.idle_variant_counts[0], 0) << "the idle families are reset";
    EXPECT_FLOAT_EQ(a.anims[8].loop_to, 8) << "the rest of the set-up stays";
    EXPECT_EQ(a.draw_rect[0], 300) << "a slot that holds a model keeps its rectangles";
    Actor b;
    b.draw_rect = {300, 200, 100, 50};
    load_character(b, "models/missing.ani", 2, true);
    EXPECT_EQ(b.draw_rect, empty_rect) << "reset before the file is opened";
    std::filesystem::remove_all(dir);
}
