// model: an animated model as the game loads it.
#include <cstdlib>

#include "resources/asset_file.h"
#include "resources/model.h"
#include "tools/tool/commands.h"
#include "tools/tool/resource_output.h"

namespace {

template <typename T, size_t N> Json rows(const std::vector<std::array<T, N>>& values) {
    Json list = Json::array();
    for (const auto& v : values) {
        Json row = Json::array();
        for (T x : v) row.push(x);
        list.push(row);
    }
    return list;
}

Json numbers(const std::vector<uint16_t>& values) {
    Json list = Json::array();
    for (uint16_t v : values) list.push(static_cast<unsigned>(v));
    return list;
}

Json part_json(const ModelPart& p) {
    Json o = Json::object();
    o["index_count"] = p.header.index_count;
    o["vertex_count"] = p.header.vertex_count;
    o["uv_index_count"] = p.header.uv_index_count;
    o["uv_count"] = p.header.uv_count;
    o["frame_count"] = p.header.frame_count;
    o["material"] = p.header.material;
    o["vertex_indices"] = numbers(p.vertex_indices);
    o["uv_indices"] = numbers(p.uv_indices);
    o["positions"] = rows(p.positions);
    o["normals"] = rows(p.normals);
    if (p.uvs_fixed.empty())
        o["uvs"] = rows(p.uvs);
    else
        o["uvs_fixed"] = rows(p.uvs_fixed);
    Json frames = Json::array();
    for (const Matrix& m : p.frames) frames.push(json_matrix(m));
    o["frames"] = frames;
    return o;
}

} // namespace

int run_model_command(const std::vector<std::string>& input) {
    std::vector<std::string> args = input;
    bool ok = true;
    const auto scale_text = take_option(args, "--normal-scale", ok);
    const bool software = take_flag(args, "--software");
    char* end = nullptr;
    const float scale = scale_text ? std::strtof(scale_text->c_str(), &end) : 1.0f;
    if (!ok || args.size() != 1 || (scale_text && (end == scale_text->c_str() || *end != '\0')))
        return usage("model FILE [--normal-scale S] [--software]");
    std::vector<uint8_t> file;
    if (!read_asset(args[0], k_model_file_max, file)) return fail(args[0] + " not found");
    Model model;
    if (!decode_model(file, scale, !software, model)) return fail(args[0] + " is damaged");
    Json j = Json::object();
    j["part_count"] = model.part_count;
    Json parts = Json::array();
    for (const ModelPart& p : model.parts) parts.push(part_json(p));
    j["parts"] = parts;
    print_json(j);
    return 0;
}
