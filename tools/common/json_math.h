// The engine's points and matrices as JSON: a point is [x, y, z], a matrix its four rows.
#pragma once

#include "resources/scene_math.h"
#include "tools/common/json.h"

inline Json json_vec3(const Vec3& v) {
    Json a = Json::array();
    a.push(v.x);
    a.push(v.y);
    a.push(v.z);
    return a;
}

inline Json json_matrix(const Matrix& m) {
    Json rows = Json::array();
    for (const auto& r : m.m) {
        Json row = Json::array();
        for (float f : r) row.push(f);
        rows.push(row);
    }
    return rows;
}
