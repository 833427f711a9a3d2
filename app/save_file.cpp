#include "app/save_file.h"

#include <cstring>
#include <string>

namespace {

// The layout in file order. A visitor sees each field with its size at the running offset; the
// object records are the one block whose size depends on the format. S is SaveImage, const for
// the writer.
template <class V, class S> void visit_save(V& v, S& s) {
    v.word("scene word", s.scene_word);
    v.words("fase", s.fase);
    v.words("Flags", s.Flags);
    v.objects(s.objects);
    v.word("MainSost", s.MainSost);
    v.word("MainFlags", s.MainFlags);
    v.word("previous_scene", s.previous_scene);
    v.word("strip_signal", s.strip_signal);
    v.word("DIALOG", s.DIALOG);
    v.word("return_fase", s.return_fase);
    v.word("path_searches", s.path_searches);
    v.word("reserved picture word", s.reserved_picture_word);
    v.word("toolbar_open", s.toolbar_open);
    v.word("closeup_active", s.closeup_active);
    v.word("reserved logic word", s.reserved_logic_word);
    v.word("EXE", s.EXE);
    v.word("timed_running", s.timed_running);
    v.word("timed_counter", s.timed_counter);
    v.word("timed_end", s.timed_end);
    v.word("active_tool", s.active_tool);
    v.word("fade_state", s.fade_state);
    v.word("fade_level", s.fade_level);
    v.word("music_track", s.music_track);
    v.word("hero", s.hero);
    v.word("Minigame", s.Minigame);
    v.word("story_cycle", s.story_cycle);
    v.bytes("filler", s.filler.data(), s.filler.size());
    v.word("speech_countdown", s.speech_countdown);
    v.units("subtitle_text", s.subtitle_text);
    v.word("subtitle_length", s.subtitle_length);
    v.bytes("actors", s.actors.data(), s.actors.size());
    v.word("thumbnail mark", s.thumbnail_mark);
    v.bytes("thumbnail", s.thumbnail.data(), s.thumbnail.size());
}

void put_le32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t get_le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

struct Writer {
    std::vector<uint8_t> out;

    template <class T> void word(const char*, const T& v) {
        const size_t at = out.size();
        out.resize(at + 4);
        put_le32(&out[at], static_cast<uint32_t>(v));
    }
    template <size_t N> void words(const char* name, const std::array<int32_t, N>& a) {
        for (int32_t v : a) word(name, v);
    }
    template <size_t N> void units(const char*, const std::array<char16_t, N>& a) {
        for (char16_t c : a) {
            out.push_back(static_cast<uint8_t>(c));
            out.push_back(static_cast<uint8_t>(c >> 8));
        }
    }
    void bytes(const char*, const uint8_t* p, size_t n) { out.insert(out.end(), p, p + n); }
    void objects(const std::vector<uint8_t>& records) {
        bytes("objects", records.data(), records.size());
    }
};

// Takes a field only when the data holds all of it, so a short file leaves the rest as it was.
struct Reader {
    std::span<const uint8_t> data;
    size_t at = 0;
    bool old_format = false;

    bool holds(size_t n) const { return at + n <= data.size(); }
    const uint8_t* take(size_t n) {
        const uint8_t* p = holds(n) ? data.data() + at : nullptr;
        at += n;
        return p;
    }
    template <class T> void word(const char*, T& v) {
        if (const uint8_t* p = take(4)) v = static_cast<T>(get_le32(p));
    }
    template <size_t N> void words(const char* name, std::array<int32_t, N>& a) {
        for (int32_t& v : a) word(name, v);
    }
    template <size_t N> void units(const char*, std::array<char16_t, N>& a) {
        for (char16_t& c : a)
            if (const uint8_t* p = take(2)) c = static_cast<char16_t>(p[0] | p[1] << 8);
    }
    void bytes(const char*, uint8_t* p, size_t n) {
        if (const uint8_t* q = take(n)) std::memcpy(p, q, n);
    }
    // An older record: its first 44 bytes, the first half of the name, and a picture word that a
    // file never gives meaning to.
    void objects(std::vector<uint8_t>& records) {
        if (!old_format) return bytes("objects", records.data(), records.size());
        constexpr size_t head = 44, half_name = 64;
        for (size_t n = 0; n < k_object_count; ++n) {
            uint8_t* r = records.data() + n * k_object_record_bytes;
            if (const uint8_t* q = take(k_old_object_record_bytes))
                std::memcpy(r, q, head + half_name);
        }
    }
};

// Records each field's offset and size.
struct Layout {
    std::vector<SaveField> fields;
    size_t at = 0;

    void add(const char* name, size_t n) {
        fields.push_back({name, at, n});
        at += n;
    }
    template <class T> void word(const char* name, const T&) { add(name, 4); }
    template <size_t N> void words(const char* name, const std::array<int32_t, N>&) {
        add(name, 4 * N);
    }
    template <size_t N> void units(const char* name, const std::array<char16_t, N>&) {
        add(name, 2 * N);
    }
    void bytes(const char* name, const uint8_t*, size_t n) { add(name, n); }
    void objects(const std::vector<uint8_t>& records) { add("objects", records.size()); }
};

} // namespace

std::vector<uint8_t> encode_save(const SaveImage& image) {
    Writer w;
    w.out.reserve(k_save_bytes);
    visit_save(w, image);
    return w.out;
}

bool decode_save(std::span<const uint8_t> data, SaveImage& image) {
    if (data.size() < 4) return false;
    Reader r{data};
    r.old_format = (get_le32(data.data()) & k_save_format_mark) == 0;
    visit_save(r, image);
    return true;
}

std::vector<SaveField> save_layout() {
    Layout l;
    SaveImage image;
    visit_save(l, image);
    return l.fields;
}
