#include "render/effects.h"

#include <algorithm>

#include "render/effect_context.h"
#include "render/fires.h"
#include "render/lighting.h"

void clear_effect_tables(EffectTables& t) {
    t.smoke_particles = {};
    t.spark_trails = {};
    t.sparkles = {};
    t.glows = {};
    clear_flying_objects(t.flying);
    t.wind = {};
}

void run_effect_steps(EffectContext& ctx, EffectTables& t, FireTable& fires) {
    update_flying_objects(ctx, t.flying, t.glows);
    tick_lights(ctx.render.lighting);
    draw_spark_trails(ctx, t.spark_trails);
    draw_fires(ctx, fires, t.glows, t.sparkles);
    draw_sparkles(ctx, t.sparkles);
    draw_smoke_particles(ctx, t.smoke_particles, t.wind);
    draw_glows(ctx, t.glows);
}

int live_smoke(const EffectTables& t) {
    return int(std::ranges::count_if(t.smoke_particles, [](auto& p) { return p.lifetime != 0; }));
}

int live_spark_trails(const EffectTables& t) {
    return int(std::ranges::count_if(t.spark_trails, [](auto& p) { return p.lifetime != 0; }));
}

int live_sparkles(const EffectTables& t) {
    return int(std::ranges::count_if(t.sparkles, [](auto& p) { return p.lifetime != 0; }));
}

int live_glows(const EffectTables& t) {
    return int(std::ranges::count_if(t.glows, [](auto& g) { return g.in_use != 0; }));
}

int live_flying_objects(const EffectTables& t) {
    return int(
        std::ranges::count_if(t.flying.flying_objects, [](auto& f) { return f.in_use != 0; }));
}
