#include "render/walk.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float k_level_threshold = 3.5f;
constexpr float k_stair_window = 2.0f;
constexpr int k_first_look_ahead = 8;
constexpr int k_walk_look_ahead = 4;
constexpr int k_skip_steps = 8;
constexpr float k_run_up_factor = 0.75f;

bool turning(const Actor& a) {
    return a.state == k_state_turn_up || a.state == k_state_turn_down;
}

int32_t clamp_x(int32_t x) {
    return std::clamp(x, 0, 639);
}
int32_t clamp_y(int32_t y) {
    return std::clamp(y, 0, 479);
}

float depth_at(const ActorContext& ctx, int32_t x, int32_t y) {
    const auto& d = ctx.scene.scene_depth_float;
    const size_t i = static_cast<size_t>(clamp_y(y)) * 640 + static_cast<size_t>(clamp_x(x));
    return i < d.size() ? d[i] : 0.0f;
}

Vec3 unproject_at(const ActorContext& ctx, int32_t x, int32_t y) {
    return unproject_pixel(ctx.camera.view_matrix, ctx.camera.projection_matrix,
                           ctx.scene.scene_depth_float, x, y);
}

uint8_t cell_value(std::span<const uint8_t> map, int32_t cx, int32_t cy) {
    if (cx < 0 || cy < 0 || cx >= k_walk_map_width || cy >= k_walk_map_height) return 255;
    const size_t i = static_cast<size_t>(cy) * k_walk_map_width + static_cast<size_t>(cx);
    return i < map.size() ? map[i] : 255;
}

int32_t nearest_int(float v, int32_t lo, int32_t hi) {
    if (!(v == v)) return lo;
    return static_cast<int32_t>(
        std::nearbyint(std::clamp(v, static_cast<float>(lo), static_cast<float>(hi))));
}

void stand(Actor& a) {
    a.walking = 0;
    a.state = a.idle_state;
}

float normalised_once(float heading) {
    float h = heading;
    if (heading >= k_two_pi) h -= k_two_pi;
    if (heading < 0) h += k_two_pi;
    return h;
}

} // namespace

CellPoint nearest_free_cell(std::span<const uint8_t> walk_map, int32_t x, int32_t y) {
    const int32_t cx = clamp_x(x) / 2, cy = clamp_y(y) / 2;
    static constexpr int32_t k_rays[8][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1},
                                             {-1, 0},  {1, 0},  {0, -1}, {0, 1}};
    bool ended[8] = {};
    for (int32_t k = 1;; ++k) {
        bool found = false;
        CellPoint result;
        int open = 0;
        for (int r = 0; r < 8; ++r) {
            if (ended[r]) continue;
            const int32_t nx = cx + k * k_rays[r][0], ny = cy + k * k_rays[r][1];
            const bool left_ray = r == 4;
            if (nx < (left_ray ? 1 : 0) || nx >= k_walk_map_width || ny < 0 ||
                ny >= k_walk_map_height) {
                ended[r] = true;
                continue;
            }
            ++open;
            if (cell_value(walk_map, nx, ny) == 0) {
                found = true;
                result = {2 * nx, 2 * ny};
            }
        }
        if (found) return result;
        if (open == 0) return {2 * cx, 2 * cy};
    }
}

bool line_is_clear(std::span<const uint8_t> walk_map, CellPoint s, CellPoint t) {
    const int32_t dx = t.x - s.x, dy = t.y - s.y;
    const int32_t ax = std::abs(dx), ay = std::abs(dy);
    const int32_t sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
    const bool x_major = ax >= ay;
    const int32_t major = x_major ? ax : ay, minor = x_major ? ay : ax;
    int32_t e = major / 2;
    int32_t x = s.x, y = s.y;
    for (int32_t i = 0; i < major; ++i) {
        if (e < minor) {
            e = e - minor + major;
            x += sx;
            y += sy;
        } else {
            e -= minor;
            if (x_major)
                x += sx;
            else
                y += sy;
        }
        if (cell_value(walk_map, x, y) == 255) return false;
    }
    return true;
}

namespace {

void straight_path(Actor& a, CellPoint s, CellPoint t) {
    a.straight_path = 1;
    const float dx = static_cast<float>(t.x - s.x), dy = static_cast<float>(t.y - s.y);
    float sx, sy;
    int32_t n;
    if (std::fabs(dx) > std::fabs(dy)) {
        sx = dx > 0 ? 1.0f : -1.0f;
        sy = dy / std::fabs(dx);
        n = static_cast<int32_t>(std::fabs(dx));
    } else if (dy == 0) {
        return;
    } else {
        sx = dx / std::fabs(dy);
        sy = dy > 0 ? 1.0f : -1.0f;
        n = static_cast<int32_t>(std::fabs(dy));
    }
    float fx = static_cast<float>(s.x), fy = static_cast<float>(s.y);
    for (int32_t i = 0; i < n; ++i) {
        fx += sx;
        fy += sy;
        a.path[static_cast<size_t>(i)] = {2 * static_cast<int32_t>(std::nearbyint(fx)),
                                          2 * static_cast<int32_t>(std::nearbyint(fy))};
    }
    a.path_length = n;
}

constexpr int32_t k_neighbours[8][3] = {{-1, 0, 2}, {1, 0, 2}, {0, -1, 2}, {0, 1, 2},
                                        {-1, 1, 3}, {1, 1, 3}, {1, -1, 3}, {-1, -1, 3}};

// Distances from the target outwards until the start is taken from the queue. False when the
// queue runs dry (no path) or would overflow.
bool search(PathSearch& w, std::span<const uint8_t> map, uint32_t start, uint32_t target) {
    std::fill(w.distance.begin(), w.distance.end(), uint16_t{65535});
    const size_t cap = w.queue.size();
    size_t head = 0, count = 0;
    w.distance[target] = 0;
    w.queue[0] = target;
    count = 1;
    while (count > 0) {
        const uint32_t c = w.queue[head];
        head = (head + 1) % cap;
        --count;
        if (c == start) return true;
        const int32_t cx = static_cast<int32_t>(c % k_walk_map_width);
        const int32_t cy = static_cast<int32_t>(c / k_walk_map_width);
        for (const auto& n : k_neighbours) {
            const int32_t nx = cx + n[0], ny = cy + n[1];
            if (cell_value(map, nx, ny) != 0) continue;
            const uint32_t ni = static_cast<uint32_t>(ny * k_walk_map_width + nx);
            const int32_t nd = w.distance[c] + n[2];
            if (w.distance[ni] <= nd) continue;
            if (count == cap) return false;
            w.distance[ni] = static_cast<uint16_t>(nd);
            w.queue[(head + count) % cap] = ni;
            ++count;
        }
    }
    return false;
}

// Walk down the distances from the start to the target; the target cell itself is left out.
void trace(PathSearch& w, Actor& a, uint32_t start, uint32_t target) {
    uint32_t cur = start;
    int32_t best = 65535;
    size_t n = 0;
    while (cur != target && n < w.trace.size()) {
        w.trace[n++] = cur;
        const int32_t cx = static_cast<int32_t>(cur % k_walk_map_width);
        const int32_t cy = static_cast<int32_t>(cur / k_walk_map_width);
        bool moved = false;
        for (const auto& nb : k_neighbours) {
            const int32_t nx = cx + nb[0], ny = cy + nb[1];
            if (nx < 0 || ny < 0 || nx >= k_walk_map_width || ny >= k_walk_map_height) continue;
            const uint32_t ni = static_cast<uint32_t>(ny * k_walk_map_width + nx);
            if (w.distance[ni] < best) {
                best = w.distance[ni];
                cur = ni;
                moved = true;
                break;
            }
        }
        if (!moved) break; // cannot happen for a cell the search reached
    }
    // Thin a long trace evenly so it fits the record.
    const size_t stride = (n + k_path_capacity - 1) / k_path_capacity;
    size_t out = 0;
    for (size_t i = 0; i < n && out < k_path_capacity; i += std::max<size_t>(stride, 1)) {
        const uint32_t c = w.trace[i];
        a.path[out++] = {2 * static_cast<int32_t>(c % k_walk_map_width),
                         2 * static_cast<int32_t>(c / k_walk_map_width)};
    }
    a.path_length = static_cast<int32_t>(out);
}

} // namespace

void find_path(ActorContext& ctx, Actor& a, int32_t tx, int32_t ty) {
    a.path_length = 0;
    a.straight_path = 0;
    const auto& map = ctx.scene.scene_walk_map;
    const ScreenPoint p = project_point(ctx.camera.view_projection, a.position);
    int32_t x = nearest_int(p.x, -1, 640), y = nearest_int(p.y, -1, 480);
    if (y < 0) y = 1;
    if (x < 0) x = 1;
    if (y > 479) y = 478;
    if (x > 639) x = 638;
    CellPoint start{x / 2, y / 2};
    if (cell_value(map, start.x, start.y) != 0) {
        const CellPoint f = nearest_free_cell(map, 2 * start.x, 2 * start.y);
        start = {f.x / 2, f.y / 2};
    }
    const CellPoint target{clamp_x(tx) / 2, clamp_y(ty) / 2};
    if (line_is_clear(map, start, target)) {
        straight_path(a, start, target);
        return;
    }
    PathSearch& w = ctx.actors.search;
    const auto cell = [](CellPoint c) {
        return static_cast<uint32_t>(c.y * k_walk_map_width + c.x);
    };
    if (!search(w, map, cell(start), cell(target))) {
        a.path_length = -1;
        a.path_index = 0;
        return;
    }
    trace(w, a, cell(start), cell(target));
}

namespace {

// Start of the walk after a search. True when the actor is left standing.
bool start_walk(ActorContext& ctx, Actor& a) {
    ctx.actors.searches_this_frame += 1;
    a.retarget = 0;
    a.path_index = 0;
    a.walking = 1;
    a.state = a.running ? k_state_run : k_state_walk;
    if (a.path_length <= 0) {
        if (a.path_length == 0) {
            a.waypoint_x = a.target_x;
            a.waypoint_y = a.target_y;
        }
        a.path_length = 0;
        a.waypoint = a.position;
        stand(a);
        return true;
    }
    if (a.path_length <= 3) {
        a.path_length = 0;
        a.position = a.destination;
        a.waypoint = a.position;
        a.waypoint_x = a.target_x;
        a.waypoint_y = a.target_y;
        stand(a);
        return true;
    }
    const auto& first = a.path[1];
    if (depth_at(ctx, first[0], first[1]) < k_no_floor_depth) {
        stand(a);
        return true;
    }
    a.waypoint = unproject_at(ctx, first[0], first[1]);
    Vec3 f = a.destination;
    if (a.straight_path == 0 && a.path_length > k_first_look_ahead) {
        const auto& p = a.path[k_first_look_ahead];
        f = unproject_at(ctx, p[0], p[1]);
    }
    actor_turn_toward(a, heading_facing(f.x - a.position.x, f.z - a.position.z));
    return false;
}

// Choose the stair nearest the actor whose start end lies on the actor's level, and head for it.
// False when no stair qualifies.
bool head_for_stair(ActorContext& ctx, Actor& a, const Vec3& target_point, int32_t tx, int32_t ty) {
    const bool up = target_point.y < a.position.y;
    float best = 1000000.0f;
    const Stair* chosen = nullptr;
    for (const Stair& s : ctx.actors.stair_table) {
        if (s.in_use == 0) continue;
        const Vec3& start = up ? s.bottom : s.top;
        if (!(start.y > a.position.y - k_stair_window && start.y < a.position.y + k_stair_window))
            continue;
        const float d = length(start - a.position);
        if (d < best) {
            best = d;
            chosen = &s;
        }
    }
    if (chosen == nullptr) return false;
    const Stair& s = *chosen;
    a.stair_exit = up ? s.top : s.bottom;
    a.resume_x = tx;
    a.resume_y = ty;
    tx = up ? s.bottom_x : s.top_x;
    ty = up ? s.bottom_y : s.top_y;
    a.stair_entry_x = tx;
    a.stair_entry_y = ty;
    a.stair_heading = up ? s.up_heading : s.down_heading;
    const int32_t n = static_cast<int32_t>(std::clamp(s.steps, 0.0f, 10000.0f));
    const int32_t half = n / 2, odd = n % 2;
    const int32_t k = odd ? half : half - 1;
    float frames;
    if (up) {
        const AnimEntry& step = anim_at(a, k_state_climb_up_step);
        const AnimEntry& start = anim_at(a, k_state_climb_up_start);
        frames = static_cast<float>(k) * (step.last - step.loop_to) + (start.last - start.first);
    } else {
        const AnimEntry& e = anim_at(a, k_state_climb_down_start);
        frames = static_cast<float>(k) * (e.last - e.loop_to) + (e.loop_to - e.first);
    }
    a.stair_frames = (frames == frames) ? static_cast<int32_t>(std::clamp(frames, -1e6f, 1e6f)) : 0;
    a.stair_end_state = up ? (odd ? k_state_climb_up_end_odd : k_state_climb_up_end_even)
                           : (odd ? k_state_climb_down_end_odd : k_state_climb_down_end_even);
    a.stair_turn = s.curved ? (up ? s.up_turn : s.down_turn) : 0.0f;
    a.stairs_pending = up ? 2 : 1;
    a.destination = unproject_at(ctx, tx, ty);
    a.target_x = tx;
    a.target_y = ty;
    find_path(ctx, a, tx, ty);
    return true;
}

} // namespace

bool walk_order(ActorContext& ctx, Actor& a) {
    const auto& map = ctx.scene.scene_walk_map;
    int32_t tx = clamp_x(a.target_x), ty = clamp_y(a.target_y);
    if (cell_value(map, tx / 2, ty / 2) != 0) {
        const CellPoint f = nearest_free_cell(map, tx, ty);
        tx = f.x;
        ty = f.y;
    }
    const Vec3 p = unproject_at(ctx, tx, ty);
    if (a.stairs_pending != 0 && a.walking == 0) {
        if (a.stair_entry_x == a.waypoint_x && a.stair_entry_y == a.waypoint_y) {
            a.on_stairs = a.stairs_pending;
            a.state = a.stairs_pending == 1 ? k_state_climb_down_start : k_state_climb_up_start;
            a.heading = a.stair_heading;
        }
        a.stairs_pending = 0;
    }
    const bool may_search =
        a.retarget != 0 && ctx.actors.searches_this_frame == 0 && a.on_stairs == 0;
    if (may_search && std::fabs(p.y - a.position.y) > k_level_threshold) {
        a.target_x = tx;
        a.target_y = ty;
        a.destination = p;
        find_path(ctx, a, tx, ty);
        if (a.path_length > 1) {
            a.stairs_pending = 0;
            return start_walk(ctx, a);
        }
        if (head_for_stair(ctx, a, p, tx, ty)) return start_walk(ctx, a);
    }
    const bool state_allows = a.state == a.idle_state || a.state == k_state_walk ||
                              a.state == k_state_run || a.retarget_any_state != 0;
    if (may_search && state_allows) {
        a.stairs_pending = 0;
        a.destination = p;
        a.target_x = tx;
        a.target_y = ty;
        find_path(ctx, a, tx, ty);
        return start_walk(ctx, a);
    }
    return false;
}

void follow_path(ActorContext& ctx, Actor& a) {
    if (a.walking != 1 || (a.state != k_state_walk && a.state != k_state_run)) return;
    const float base = a.running ? a.run_speed : a.walk_speed;
    int32_t k = k_skip_steps;
    for (;;) {
        float speed = base;
        if (a.state == k_state_run && a.frame < anim_at(a, k_state_run).loop_to)
            speed = k_run_up_factor * a.run_speed;
        const Vec3 delta = a.waypoint - a.position;
        const float dist = length(delta);
        for (;;) {
            if (static_cast<float>(k) * speed <= dist) {
                const float s = dist / base;
                const Vec3 old = a.position;
                if (dist > 0 && s > 0) a.position = a.position + delta * (1.0f / s);
                if (collision_test(ctx.actors, a)) {
                    a.stairs_pending = 0;
                    a.position = old;
                    a.state = a.idle_state;
                }
                return;
            }
            if (a.path_length == 0) break;
            if (a.path_index + 1 < a.path_length) {
                a.path_index += 1;
                const auto& wp = a.path[static_cast<size_t>(a.path_index)];
                if (depth_at(ctx, wp[0], wp[1]) < k_no_floor_depth) {
                    stand(a);
                    return;
                }
                a.waypoint_x = wp[0];
                a.waypoint_y = wp[1];
                a.waypoint = unproject_at(ctx, wp[0], wp[1]);
                goto next_waypoint;
            }
            k -= 1;
            if (k <= 0) break;
        }
        // End of the path: the actor is placed on its destination.
        a.waypoint_x = a.target_x;
        a.waypoint_y = a.target_y;
        {
            const Vec3 old = a.position;
            a.position = a.destination;
            if (collision_test(ctx.actors, a)) a.position = old;
        }
        stand(a);
        return;
    next_waypoint:;
    }
}

void face_while_walking(ActorContext& ctx, Actor& a, int32_t i0) {
    if (!(i0 + k_walk_look_ahead < a.path_length) || a.straight_path != 0 || turning(a)) return;
    const auto& p = a.path[static_cast<size_t>(i0 + k_walk_look_ahead)];
    const Vec3 f = unproject_at(ctx, p[0], p[1]);
    const float h = heading_facing(f.x - a.position.x, f.z - a.position.z);
    float d = normalised_once(a.heading) - h;
    float step = -d / 2;
    if (d > k_pi_f) {
        d = k_two_pi - d;
        step = std::fabs(d) / 2;
    }
    if (d < -k_pi_f) {
        d = d + k_two_pi;
        step = -std::fabs(d) / 2;
    }
    a.heading += step;
}

void stair_step(Actor& a) {
    if (a.on_stairs == 0) return;
    a.stair_frames -= 1;
    if (a.stair_frames <= 0) {
        if (a.state == k_state_climb_up_step || a.state == k_state_climb_down_start) {
            a.state = a.stair_end_state;
            const AnimEntry& e = anim_at(a, a.state);
            const float f = e.last - e.first + 1;
            a.stair_frames = (f == f) ? static_cast<int32_t>(std::clamp(f, -1e6f, 1e6f)) : 0;
            a.move_step = e.move_step;
            a.rise_step = e.rise_step;
        } else {
            a.walking = 1;
            a.state = a.idle_state;
            a.on_stairs = 0;
            a.target_x = a.resume_x;
            a.target_y = a.resume_y;
            a.retarget = 1;
        }
    }
    if (a.stair_frames > 0) {
        a.heading += a.stair_turn;
        a.position.y += a.rise_step;
        a.position.x += std::cos(a.heading - k_pi_f / 2) * a.move_step;
        a.position.z += std::sin(a.heading - k_pi_f / 2) * a.move_step;
    }
}
