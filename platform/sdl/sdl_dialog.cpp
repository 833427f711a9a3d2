// The modal dialog drawn with Dear ImGui in a window of its own. The form follows the template:
// each control at its place, in reading order; check boxes and radio buttons change their state
// and send their command at once; the window's close box does nothing, so OK is the way out.
#include <SDL.h>
#include <imgui.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>

#include <filesystem>

#include "platform/sdl/sdl_state.h"

namespace {

// Dialog units of the classic 8-point dialog font, enlarged for today's screens.
constexpr float k_unit_x = 1.5f * 1.5f;
constexpr float k_unit_y = 1.625f * 1.5f;
constexpr float k_font_pixels = 19.0f;

const char* dialog_font_path() {
    static const char* candidates[] = {"tovi.ttf",
                                       "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"};
    for (const char* p : candidates)
        if (std::filesystem::exists(p)) return p;
    return nullptr;
}

ImVec2 at(int x, int y) {
    return {x * k_unit_x, y * k_unit_y};
}

void draw_group_box(const DialogControl& c) {
    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 origin = ImGui::GetWindowPos();
    const ImVec2 a = at(c.x, c.y), b = at(c.x + c.w, c.y + c.h);
    const float text_y = a.y + origin.y - k_font_pixels * 0.5f;
    draw->AddRect({a.x + origin.x, a.y + origin.y}, {b.x + origin.x, b.y + origin.y},
                  ImGui::GetColorU32(ImGuiCol_Border));
    const ImVec2 size = ImGui::CalcTextSize(c.text.c_str());
    const ImVec2 label{a.x + origin.x + 8, text_y};
    draw->AddRectFilled(label, {label.x + size.x + 6, label.y + size.y},
                        ImGui::GetColorU32(ImGuiCol_WindowBg));
    draw->AddText({label.x + 3, label.y}, ImGui::GetColorU32(ImGuiCol_Text), c.text.c_str());
}

// Draw one control; true when the user clicked it this frame.
bool draw_control(const DialogControl& c, const DialogState& state) {
    ImGui::SetCursorPos(at(c.x, c.y));
    ImGui::PushID(c.id);
    bool clicked = false;
    const auto found = state.checks.find(c.id);
    bool checked = found != state.checks.end() && found->second != 0;
    switch (c.kind) {
    case ControlKind::check_box:
        clicked = ImGui::Checkbox(c.text.c_str(), &checked);
        break;
    case ControlKind::radio_button:
        clicked = ImGui::RadioButton(c.text.c_str(), checked);
        break;
    case ControlKind::push_button:
        clicked = ImGui::Button(c.text.c_str(), {c.w * k_unit_x, c.h * k_unit_y});
        break;
    case ControlKind::group_box:
        draw_group_box(c);
        break;
    }
    ImGui::PopID();
    return clicked;
}

} // namespace

int sys_dialog_box(const DialogTemplate& dialog, DialogState& state, const DialogProc& proc) {
    state = {};
    if (!sdl_ensure_video()) return 0;
    const int width = static_cast<int>(dialog.width * k_unit_x);
    const int height = static_cast<int>(dialog.height * k_unit_y);
    SDL_Window* window = SDL_CreateWindow(dialog.title.c_str(), SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, width, height, 0);
    if (!window) return 0;
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer) {
        SDL_DestroyWindow(window);
        return 0;
    }
    SDL_ShowCursor(SDL_ENABLE);

    IMGUI_CHECKVERSION();
    ImGuiContext* context = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard;
    if (const char* font = dialog_font_path()) io.Fonts->AddFontFromFileTTF(font, k_font_pixels);
    ImGui::StyleColorsClassic();
    ImGui_ImplSDL2_InitForSDLRenderer(window);
    ImGui_ImplSDLRenderer_Init(renderer);

    proc(state, DialogMessage::init, 0);
    while (!state.ended) {
        SDL_Event e;
        if (SDL_WaitEventTimeout(&e, 100)) {
            do {
                ImGui_ImplSDL2_ProcessEvent(&e);
            } while (SDL_PollEvent(&e));
        }
        ImGui_ImplSDLRenderer_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        ImGui::NewFrame();
        ImGui::SetNextWindowPos({0, 0});
        ImGui::SetNextWindowSize(io.DisplaySize);
        ImGui::Begin("##dialog", nullptr,
                     ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                         ImGuiWindowFlags_NoSavedSettings);
        int clicked = -1;
        for (const DialogControl& c : dialog.controls)
            if (draw_control(c, state) && clicked < 0) clicked = c.id;
        ImGui::End();
        ImGui::Render();
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
        SDL_RenderPresent(renderer);
        if (clicked >= 0) {
            dialog_click_control(dialog, state, clicked);
            proc(state, DialogMessage::command, clicked);
        }
    }

    ImGui_ImplSDLRenderer_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext(context);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_ShowCursor(SDL_DISABLE);
    // Events meant for the dialog window must not reach the game.
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    return state.result;
}
