// Walking: a walk order (a screen point) becomes a path over the walk map, searched in screen
// space on the quarter-size grid, and the path is walked in world space point by point, the
// float depth picture turning each point into a world point. Targets on another floor level go
// over the scene's stairs.
//
// Walk-map cells: 0 walkable; anything else blocks targets and the search; 255 is also a wall
// for the straight-line test, other values do not stop a straight line.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "render/actor.h"

struct CellPoint {
    int32_t x = 0, y = 0;
    bool operator==(const CellPoint&) const = default;
};

// A walkable cell near screen point (x, y), as a screen point (even coordinates): eight rays
// leave the point's cell one cell per pass; the last ray of a pass that finds a free cell wins.
// The left ray never tests column 0. With none found, the point's own cell.
CellPoint nearest_free_cell(std::span<const uint8_t> walk_map, int32_t x, int32_t y);

// True when the Bresenham line between two cells crosses no wall cell (255); the start cell is
// not tested, the target cell is.
bool line_is_clear(std::span<const uint8_t> walk_map, CellPoint start, CellPoint target);

// Fill the actor's path, path_length and straight_path for a walk to screen point (tx, ty).
// A clear straight line gives a straight path; otherwise the search from the target outwards.
// No path: path_length -1. A path longer than the record's 512 points is thinned evenly (every
// k-th point kept), so the walk follows the same corridors; a search whose queue would overflow
// gives no path.
void find_path(ActorContext& ctx, Actor& a, int32_t tx, int32_t ty);

// Steps of actor_update. walk_order returns true when a path was searched this update and the
// actor was left standing: the update then skips the move and the facing.
bool walk_order(ActorContext& ctx, Actor& a);
void follow_path(ActorContext& ctx, Actor& a);
void face_while_walking(ActorContext& ctx, Actor& a, int32_t first_index);
void stair_step(Actor& a);
