#include "tools/demo/texts.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <span>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "resources/spoken_lines.h"
#include "resources/text_table.h"
#include "resources/wav.h"

namespace {

struct Line {
    int number;
    const char* french;
    const char* english;
};

// Zone names, numbered by scene: the caption over an exit that leads there.
const Line k_zones[] = {
    {3, "La hutte du bûcheron", "The woodcutter's hut"},
    {4, "La clairière", "The clearing"},
    {5, "Le gué du ruisseau", "The brook ford"},
    {6, "La vieille chapelle", "The old chapel"},
    {86, "Le choix du héros", "The choice of the hero"},
};

// Tool names, numbered by object.
const Line k_tools[] = {
    {5, "Hache", "Axe"},
    {40, "Cruche", "Jug"},
};

// Refusal and comment lines: what a hero says about a look zone (the zone's text number).
const Line k_tovi_remarks[] = {
    {0, "Un nid d'oiseau, vide depuis longtemps.", "A bird's nest, empty for a long time."},
    {1, "Du bois coupé, bien sec.", "Chopped wood, nice and dry."},
    {2, "Je ne peux pas faire ça.", "I can't do that."},
    {3, "Ces vieilles marches montent vers le sentier.", "These old steps lead up to the path."},
    {4, "Un vieux puits. L'eau sent la mousse.", "An old well. The water smells of moss."},
    {5, "Les cendres d'un feu de camp. Elles sont froides.",
     "The ashes of a campfire. They are cold."},
    {6, "Un champignon rouge à pois blancs. Mieux vaut ne pas y toucher.",
     "A red toadstool with white spots. Better leave it alone."},
    {7, "Le ruisseau chante sur les pierres.", "The brook sings over the stones."},
    {8, "Une chandelle brûle encore. Quelqu'un vient ici.",
     "A candle is still burning. Someone comes here."},
};
const Line k_brask_remarks[] = {
    {0, "Un nid. Vide.", "A nest. Empty."},
    {1, "Du bois. Pratique pour l'hiver.", "Wood. Handy for the winter."},
    {2, "Pas question.", "No way."},
    {3, "Des marches. Mes genoux s'en souviendront.", "Steps. My knees will remember them."},
    {4, "Un puits. J'ai soif rien qu'à le regarder.", "A well. Looking at it makes me thirsty."},
    {5, "Quelqu'un a campé ici. Pas récemment.", "Someone camped here. Not recently."},
    {6, "Je ne mange pas ce genre de chose.", "I don't eat that sort of thing."},
    {7, "De l'eau froide. Parfait pour les pieds.", "Cold water. Just right for the feet."},
    {8, "Une chandelle. Ce n'est pas moi qui l'ai allumée.", "A candle. I didn't light it."},
};

// Dialogue lines.
const Line k_tovi_dialogue[] = {
    {0, "Bon. Par où commencer ?", "Right. Where do I start?"},
    {1, "Quelle belle journée pour une aventure.", "What a fine day for an adventure."},
};
const Line k_brask_dialogue[] = {
    {0, "Allons-y. Je n'ai pas toute la journée.", "Let's go. I haven't got all day."},
    {1, "Encore une forêt. J'adore les forêts.", "Another forest. I love forests."},
};

template <size_t N> std::vector<uint8_t> table(const Line (&lines)[N], bool english) {
    std::vector<std::pair<int, std::u16string>> rows;
    for (const Line& l : lines)
        rows.push_back({l.number, utf8_to_utf16(english ? l.english : l.french)});
    return encode_text_table(rows);
}

template <size_t N>
void both(DemoOutput& out, const std::string& base, const std::string& english,
          const Line (&lines)[N]) {
    out.add(base, table(lines, false));
    out.add(english, table(lines, true));
}

// Run a program with arguments (no shell) and collect what it writes on its standard output.
bool run_capture(const std::vector<std::string>& argv, std::vector<uint8_t>& output) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    uint8_t buf[65536];
    output.clear();
    for (;;) {
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        output.insert(output.end(), buf, buf + n);
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The voices: fixed options give the same samples on every run.
struct Voice {
    const char* variant;
    const char* pitch;
    const char* speed;
};
const Voice k_voices[2] = {{"fr+m3", "62", "160"}, {"fr+m7", "28", "138"}};

bool speak(int hero, const char* text, std::vector<uint8_t>& wav, std::string& error) {
    const Voice& v = k_voices[hero];
    std::vector<uint8_t> raw;
    if (!run_capture({"espeak-ng", "-v", v.variant, "-p", v.pitch, "-s", v.speed, "--stdout", text},
                     raw)) {
        error = "cannot run espeak-ng (install it with scripts/install-deps.sh)";
        return false;
    }
    WavInfo info;
    std::span<const uint8_t> samples;
    if (!read_wav(raw, info, samples)) {
        error = "espeak-ng wrote no wave data";
        return false;
    }
    // Its streamed header leaves the data size open; the file gets the real one.
    info.data_size = static_cast<uint32_t>(samples.size());
    wav = encode_wav(info, samples);
    return true;
}

} // namespace

void make_text_tables(DemoOutput& out) {
    both(out, zone_table_path(0), zone_table_path(1), k_zones);
    both(out, tool_table_path(0), tool_table_path(1), k_tools);
    both(out, refusal_table_path(0, 0), refusal_table_path(0, 1), k_tovi_remarks);
    both(out, refusal_table_path(1, 0), refusal_table_path(1, 1), k_brask_remarks);
    both(out, dialogue_table_path(0, 0), dialogue_table_path(0, 1), k_tovi_dialogue);
    both(out, dialogue_table_path(1, 0), dialogue_table_path(1, 1), k_brask_dialogue);
}

bool make_voices(DemoOutput& out, std::string& error) {
    // The voices speak the base version, which is the one the game shows.
    for (int hero = 0; hero < 2; ++hero) {
        const std::span<const Line> remarks = hero == 0 ? std::span<const Line>(k_tovi_remarks)
                                                        : std::span<const Line>(k_brask_remarks);
        const std::span<const Line> dialogue = hero == 0 ? std::span<const Line>(k_tovi_dialogue)
                                                         : std::span<const Line>(k_brask_dialogue);
        for (const Line& l : remarks) {
            std::vector<uint8_t> wav;
            if (!speak(hero, l.french, wav, error)) return false;
            out.add(refusal_voice_path(hero, l.number), std::move(wav));
        }
        for (const Line& l : dialogue) {
            std::vector<uint8_t> wav;
            if (!speak(hero, l.french, wav, error)) return false;
            out.add(dialogue_voice_path(hero, l.number), std::move(wav));
        }
    }
    return true;
}
