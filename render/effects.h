// The effect tables of a scene and their per-frame steps. The scene logic and the fires spawn
// entries; after the characters are drawn the game frame runs the steps in a fixed order:
// flying objects, the light countdown, spark trails, fires, sparkles, smoke, glows. Glows come
// last so that the fires and insects of the same frame can add theirs.
#pragma once

#include "render/flying_objects.h"
#include "render/glows.h"
#include "render/smoke.h"
#include "render/spark_trails.h"
#include "render/sparkles.h"
#include "resources/scene_description.h"

struct EffectContext;

struct EffectTables {
    SmokeTable smoke_particles{};
    SparkTrailTable spark_trails{};
    SparkleTable sparkles{};
    GlowTable glows{};
    FlyingObjects flying;
    Vec3 wind; // added to every smoke particle's acceleration each frame
};

// Empty every table and calm the wind, as at a scene change (the fly keeps its model).
void clear_effect_tables(EffectTables& tables);

// The steps of one frame in their order.
void run_effect_steps(EffectContext& ctx, EffectTables& tables, FireTable& fires);

// Live entries of a table, for the state dump and the tests.
int live_smoke(const EffectTables& t);
int live_spark_trails(const EffectTables& t);
int live_sparkles(const EffectTables& t);
int live_glows(const EffectTables& t);
int live_flying_objects(const EffectTables& t);
