#include "render/model_draw.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "render_harness.h"

namespace {

HarnessOptions software(int stencil_shadows) {
    HarnessOptions o;
    o.path = DrawPath::software;
    o.settings.stencil_shadows = stencil_shadows;
    return o;
}

// Draw with the harness's context and report whether a blob shadow was entered (a colour-only
// dirty rectangle).
struct Drawn {
    std::unique_ptr<RenderHarness> h;
    explicit Drawn(const HarnessOptions& o) : h(std::make_unique<RenderHarness>(o)) {
        h->begin_pass();
    }
    RenderContext context(LockedRect& lock) {
        surface_lock(*h->back_buffer, lock);
        RenderContext ctx{h->options.settings, h->camera, h->lighting, *h->materials, *h->draw};
        ctx.soft = {lock.bits, lock.pitch, 32, h->scene.scene_depth16,
                    h->scene.scene_picture_rgb32};
        return ctx;
    }
    bool blob_entered() const {
        for (const DirtyRect& d : h->draw->dirty_rects)
            if (d.in_use && d.kind == k_dirty_colour) return true;
        return false;
    }
};

} // namespace

TEST(ModelDraw, WhichShadowAnActorGets) {
    struct Case {
        int stencil_shadows, shadow_kind;
        bool attached, blob;
    };
    const Case cases[] = {
        {0, 4, false, false}, {0, 1, false, true}, {4, 1, false, true}, {4, 4, false, false},
        {1, 4, false, true},  {0, 4, true, true},  {4, 4, true, false}, {1, 0, false, false},
    };
    for (const Case& c : cases) {
        Drawn d(software(c.stencil_shadows));
        Actor& host = d.h->place_hero(0, 250, 300, 0);
        Actor& a = d.h->place_hero(1, 250, 300, 0);
        a.shadow_kind = c.shadow_kind;
        LockedRect lock;
        RenderContext ctx = d.context(lock);
        if (c.attached) {
            a.position = {0, -5, 0};
            actor_draw_attached(ctx, a, host, 1);
        } else {
            actor_draw(ctx, a);
        }
        surface_unlock(*d.h->back_buffer);
        EXPECT_EQ(d.blob_entered(), c.blob)
            << c.stencil_shadows << " " << c.shadow_kind << " " << c.attached;
    }
}

TEST(ModelDraw, BlobDoesNotTurnWithTheActor) {
    std::array<int32_t, 4> rects[2];
    for (int i = 0; i < 2; ++i) {
        Drawn d(software(1));
        Actor& a = d.h->place_hero(0, 250, 300, i * 1.1f);
        LockedRect lock;
        RenderContext ctx = d.context(lock);
        actor_draw(ctx, a);
        surface_unlock(*d.h->back_buffer);
        rects[i] = a.shadow_rect;
    }
    EXPECT_EQ(rects[0], rects[1]);
    EXPECT_LT(rects[0][2], rects[0][0]);
}

TEST(ModelDraw, TintAndUnlitMaterialsReplaceLighting) {
    Drawn d(software(0));
    Actor& a = d.h->place_hero(0, 250, 300, 0);
    a.tint = 0xFF20A040;
    LockedRect lock;
    RenderContext ctx = d.context(lock);
    actor_draw(ctx, a);
    for (const ModelPart& p : a.model.parts) EXPECT_EQ(p.screen_vertices[0].colour, 0xFF20A040u);
    a.tint = 0;
    d.h->materials->materials[1].unlit = 1;
    actor_draw(ctx, a);
    surface_unlock(*d.h->back_buffer);
    EXPECT_EQ(a.model.parts[0].screen_vertices[0].colour, 0u); // unlit without a tint: black
    EXPECT_NE(a.model.parts[1].screen_vertices[0].colour, 0u); // lit
}

TEST(ModelDraw, CarriedObjectFollowsItsHostAndBlendModeTwoFiftyFiveDrawsNothing) {
    Drawn d(software(1));
    Actor& host = d.h->place_hero(0, 200, 330, 0);
    Actor& o = d.h->place_hero(1, 600, 100, 0);
    o.position = {0, 0, 0}; // no offset: exactly where the host stands
    o.shadow_kind = 0;
    LockedRect lock;
    RenderContext ctx = d.context(lock);
    actor_draw(ctx, host);
    actor_draw_attached(ctx, o, host, 1);
    EXPECT_NEAR(o.draw_rect[2], host.draw_rect[2], 40);
    EXPECT_NEAR(o.draw_rect[3], host.draw_rect[3], 40);
    // Blend mode 255 draws no part, but the rectangle bookkeeping runs: the object covers
    // nothing now, so the rectangle of its last drawing is handed on and then left empty.
    o.blend_mode = 255;
    o.draw_rect = {400, 300, 350, 250};
    const std::vector<uint8_t> before(lock.bits, lock.bits + size_t(lock.pitch) * 480);
    actor_draw_attached(ctx, o, host, 1);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), lock.bits)) << "no pixel drawn";
    surface_unlock(*d.h->back_buffer);
    EXPECT_EQ(o.draw_rect, (std::array<int32_t, 4>{0, 0, 639, 479}));
}

TEST(ModelDraw, SmoothingRectangleOfTheDrawnCharacter) {
    HarnessOptions o;
    o.path = DrawPath::device;
    o.settings.smoothing = 2;
    auto h = std::make_unique<RenderHarness>(o);
    Actor& a = h->place_hero(0, 250, 300, 0);
    h->begin_pass();
    RenderContext ctx{h->options.settings, h->camera, h->lighting, *h->materials, *h->draw};
    ctx.device = h->device.get();
    ctx.textures = &h->textures;
    device_begin_scene(*h->device);
    actor_draw(ctx, a);
    device_end_scene(*h->device);
    const SmoothRect& r = h->draw->smooth_rects[0];
    EXPECT_EQ(r.mode, 2);
    EXPECT_EQ(r.left, a.draw_rect[2] - 3);
    EXPECT_EQ(r.right, a.draw_rect[0] + 3);
    EXPECT_EQ(r.top, a.draw_rect[3] - 2);
    a.smooth_edges = 0;
    h->draw->smooth_rects = {};
    device_begin_scene(*h->device);
    actor_draw(ctx, a);
    device_end_scene(*h->device);
    EXPECT_EQ(h->draw->smooth_rects[0].mode, 0);
}
