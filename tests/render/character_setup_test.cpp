#include "scenes/character_setup.h"

#include <gtest/gtest.h>

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
