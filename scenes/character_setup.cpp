#include "scenes/character_setup.h"

namespace {

struct Entry {
    int state;
    float first, last;
    float loop_to = k_no_loop; // no loop unless given
    float step = 1;
    int next = 0;
    // The stair states' further words: two frame numbers, then move and rise per update.
    uint32_t word1 = 0, word2 = 0;
    float move_step = 0, rise_step = 0;
};

void write(Actor& a, const Entry& e) {
    AnimEntry& out = a.anims[static_cast<size_t>(e.state)];
    out = {e.first,     e.last,     e.loop_to, e.step, e.next, {e.word1, e.word2},
           e.move_step, e.rise_step};
}

// Fields the two heroes share.
void hero_common(Actor& a, int32_t material_base) {
    a.may_run = 1;
    a.retarget_any_state = 1;
    a.collision_radius_sq = 12.25f;
    a.scale = {1, 1, 1};
    a.walk_speed = 0.4839f;
    a.run_speed = 1.4839f;
    a.idle_states = {0, 40, 0, 0, 0, 0, 0, 0};
    a.idle_variant_counts = {3, 0, 0, 0, 0, 0, 0, 0};
    a.idle_variants = 3;
    a.idle_state = 0;
    a.material_base = material_base;
    a.shadow_kind = 4;
}

// Stair, pose and action states of Tovi's model.
void tovi_shared_states(Actor& a) {
    write(a, {11, 854, 879, 854, 1, 0, 854, 0, 0.24f, -0.16f});
    write(a, {12, 919, 953, 928, 1, 0, 919, 0, 0.24f, 0.16f});
    write(a, {13, 904, 918, k_no_loop, 1, 0, 0, 915, 0.24f, -0.155f});
    write(a, {14, 1269, 1294, k_no_loop, 1, 0, 0, 1291, 0.24f, -0.155f});
    write(a, {15, 960, 971, k_no_loop, 1, 0, 0, 0, 0.2f, 0.1f});
    write(a, {16, 980, 1003, k_no_loop, 1, 0, 0, 0, 0.2f, 0.1f});
    write(a, {17, 845, 853, k_no_loop, 1, 11, 0, 0, 0.1654f, 0});
    write(a, {1, 459, 533});
    write(a, {2, 534, 672});
    write(a, {3, 673, 747});
    write(a, {20, 126, 236});
    write(a, {21, 237, 311});
    write(a, {22, 323, 458});
    write(a, {23, 1873, 1951});
    write(a, {32, 1063, 1165});
    write(a, {33, 1168, 1218});
    write(a, {34, 1218, 1267});
    write(a, {35, 1296, 1412, k_no_loop, 1, 40});
    write(a, {36, 1572, 1670});
    write(a, {40, 1413, 1468, 1413});
    write(a, {45, 1469, 1521, k_no_loop, 1, 40});
    write(a, {48, 1732, 1795, k_no_loop, 1, 40});
}

} // namespace

Actor& setup_tovi(Actor& a) {
    hero_common(a, 0);
    tovi_shared_states(a);
    write(a, {0, 748, 783, 748, 0.5f});
    write(a, {8, 0, 38, 8});
    write(a, {9, 804, 824});
    write(a, {10, 784, 804});
    write(a, {18, 1999, 2028, 2008});
    write(a, {24, 1952, 1997});
    write(a, {46, 1522, 1571, k_no_loop, 0.5f, 40});
    write(a, {47, 1672, 1731, k_no_loop, 1, 40});
    write(a, {49, 1795, 1859, k_no_loop, 1, 40});
    return a;
}

Actor& setup_brask(Actor& a) {
    hero_common(a, 3);
    // Brask's model has the shape of Tovi's table with its own frames; his actions 25..27 take
    // the place of Tovi's 24, and he has no poses 46, 47 and 49.
    write(a, {0, 172, 214, 172, 1});
    write(a, {1, 215, 300});
    write(a, {2, 301, 380});
    write(a, {3, 381, 460});
    write(a, {8, 0, 38, 8});
    write(a, {9, 46, 59});
    write(a, {10, 59, 76});
    write(a, {11, 817, 842, 817, 1, 0, 0, 0, 0.24f, -0.16f});
    write(a, {12, 912, 946, 921, 1, 0, 0, 0, 0.24f, 0.16f});
    write(a, {13, 866, 880, k_no_loop, 1, 0, 0, 0, 0.24f, -0.155f});
    write(a, {14, 884, 909, k_no_loop, 1, 0, 0, 0, 0.24f, -0.155f});
    write(a, {15, 950, 961, k_no_loop, 1, 0, 0, 0, 0.2f, 0.1f});
    write(a, {16, 965, 988, k_no_loop, 1, 0, 0, 0, 0.2f, 0.1f});
    write(a, {17, 808, 816, k_no_loop, 1, 11, 0, 0, 0.1654f, 0});
    write(a, {18, 767, 796, 776});
    write(a, {20, 461, 570});
    write(a, {21, 571, 645});
    write(a, {22, 646, 766});
    write(a, {23, 1801, 1880});
    write(a, {25, 1576, 1650});
    write(a, {26, 1651, 1720});
    write(a, {27, 1721, 1800});
    write(a, {32, 1000, 1100});
    write(a, {33, 1101, 1150});
    write(a, {34, 1151, 1200});
    write(a, {35, 1201, 1310, k_no_loop, 1, 40});
    write(a, {36, 1311, 1400});
    write(a, {40, 1401, 1456, 1401});
    write(a, {45, 1457, 1510, k_no_loop, 1, 40});
    write(a, {48, 1511, 1575, k_no_loop, 1, 40});
    return a;
}

Actor& setup_choice(Actor& a) {
    a.walk_speed = 0;
    a.collision_radius_sq = 0;
    a.scale = {1, 1, 1};
    a.idle_states = {0, 10, 0, 0, 0, 0, 0, 0};
    a.idle_variant_counts = {1, 0, 0, 0, 0, 0, 0, 0};
    a.idle_variants = 1;
    a.idle_state = 0;
    a.shadow_kind = 0;
    write(a, {0, 0, 55, 0});
    write(a, {1, 412, 500});
    write(a, {2, 412, 500});
    write(a, {3, 56, 261});
    write(a, {4, 262, 390, k_no_loop, 1, 10});
    write(a, {10, 284, 327, 284});
    write(a, {11, 327, 390, k_no_loop, 1, 10});
    write(a, {12, 391, 411});
    return a;
}

Actor& setup_choice_cube(Actor& a) {
    setup_prop(a);
    a.idle_variant_counts[0] = 1;
    a.idle_variants = 1;
    write(a, {0, 197, 197, 197});
    write(a, {1, 141, 191});
    return a;
}

Actor& setup_boar(Actor& a) {
    a.walk_speed = 0.25f;
    a.run_speed = 0.25f;
    a.collision_radius_sq = 9;
    a.scale = {1, 1, 1};
    a.idle_states = {0, 0, 0, 0, 0, 0, 0, 0};
    a.idle_variant_counts = {2, 0, 0, 0, 0, 0, 0, 0};
    a.idle_variants = 2;
    a.idle_state = 0;
    a.shadow_kind = 1;
    write(a, {0, 40, 100, 40});
    write(a, {1, 130, 190});
    write(a, {2, 191, 250});
    write(a, {8, 0, 38, 8});
    write(a, {9, 251, 271});
    write(a, {10, 271, 291});
    return a;
}

Actor& setup_prop(Actor& a) {
    a.walk_speed = 0;
    a.shadow_kind = 0;
    a.collision_radius_sq = 0;
    a.idle_states = {};
    a.idle_variant_counts = {};
    a.idle_variants = 0;
    a.idle_state = 0;
    a.scale = {1, 1, 1};
    write(a, {0, 0, 0, 0, 1});
    return a;
}

Actor& setup_standing_with_variation(Actor& a) {
    a.collision_radius_sq = 0;
    a.scale = {1, 1, 1};
    a.idle_states = {0, 0, 0, 0, 0, 0, 0, 0};
    a.idle_variant_counts = {1, 0, 0, 0, 0, 0, 0, 0};
    a.idle_variants = 1;
    a.idle_state = 0;
    a.shadow_kind = 0;
    write(a, {0, 0, 34, 0, 0.5f});
    write(a, {1, 35, 95});
    write(a, {2, 96, 280, 241});
    write(a, {3, 399, 473});
    return a;
}

Actor& setup_hero_by_selector(Actor& a, int hero) {
    return hero == 1 ? setup_brask(a) : setup_tovi(a);
}

void load_character(Actor& a, std::string_view path, float normal_scale,
                    bool hardware_acceleration) {
    a.collision_slot = 15;
    a.idle_states = {};
    a.idle_variant_counts = {};
    if (!actor_empty(a)) return;
    // Empty rectangles ready for growing, so the first pass of the new character does not
    // restore or clear what its slot's previous character covered.
    a.draw_rect = {0, 0, 639, 479};
    a.shadow_rect = {0, 0, 639, 479};
    load_model_parts(a.model, path, normal_scale, hardware_acceleration);
    a.part_count = a.model.part_count;
}
