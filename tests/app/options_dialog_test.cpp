#include <gtest/gtest.h>

#include "app/options_dialog.h"

namespace {

struct Dialog {
    GameConfig config;
    DialogState state;
    DialogLanguage language = DialogLanguage::english;

    void init() { options_dialog_proc(config, state, DialogMessage::init, 0); }
    void click(int id) {
        dialog_click_control(options_dialog_template(language), state, id);
        options_dialog_proc(config, state, DialogMessage::command, id);
    }
};

TEST(OptionsDialog, OpensWithTheStoredValuesAndTheMatchingRadio) {
    Dialog d;
    d.config.smoothing = 2;
    d.config.stencil_shadows = 4;
    d.config.true_colour = 0;
    d.init();
    EXPECT_EQ(d.state.checks[IDC_SMOOTH_FULL], 1);
    EXPECT_EQ(d.state.checks[IDC_SMOOTH_NONE], 0);
    EXPECT_EQ(d.state.checks[IDC_STENCIL], 4) << "the stored value is the check state";
    EXPECT_EQ(d.state.checks[IDC_TRUE_COLOUR], 0);

    Dialog other;
    other.config.smoothing = 7;
    other.init();
    for (int id : {IDC_SMOOTH_NONE, IDC_SMOOTH_EDGE, IDC_SMOOTH_FULL, IDC_SMOOTH_CONTOUR})
        EXPECT_EQ(other.state.checks[id], 0) << "no radio for an unknown mode";
}

TEST(OptionsDialog, RadioActsAtOnceCheckBoxesOnlyOnOk) {
    Dialog d;
    d.config.smoothing = 2;
    d.config.stencil_shadows = 4;
    d.init();
    d.click(IDC_SMOOTH_NONE);
    EXPECT_EQ(d.config.smoothing, 0) << "radio buttons take effect at once";
    EXPECT_EQ(d.state.checks[IDC_SMOOTH_FULL], 0);

    d.click(IDC_HARDWARE);
    d.click(IDC_TRUE_COLOUR);
    EXPECT_EQ(d.config.hardware_acceleration, 1) << "check boxes wait for OK";
    EXPECT_FALSE(d.state.ended);

    d.click(IDC_OK);
    EXPECT_TRUE(d.state.ended);
    EXPECT_EQ(d.state.result, 1);
    EXPECT_EQ(d.config.hardware_acceleration, 0);
    EXPECT_EQ(d.config.true_colour, 1);
    EXPECT_EQ(d.config.stencil_shadows, 1) << "a stored 4 comes back as the box's state";
    EXPECT_EQ(d.config.smoothing, 0);
}

TEST(OptionsDialog, TemplatesCarryEveryControlInBothLanguages) {
    const int ids[] = {
        IDC_HARDWARE,       IDC_TRUE_COLOUR, IDC_TRIPLE_BUFFER, IDC_FOG,         IDC_HOT_AIR,
        IDC_STENCIL,        IDC_ATI,         IDC_SMOOTH_NONE,   IDC_SMOOTH_EDGE, IDC_SMOOTH_FULL,
        IDC_SMOOTH_CONTOUR, IDC_SOUND,       IDC_MUSIC,         IDC_VIDEO,       IDC_OK};
    for (DialogLanguage lang : {DialogLanguage::english, DialogLanguage::french}) {
        const DialogTemplate& t = options_dialog_template(lang);
        EXPECT_EQ(t.width, 331);
        EXPECT_EQ(t.height, 199);
        for (int id : ids) {
            int found = 0;
            for (const DialogControl& c : t.controls) found += c.id == id;
            EXPECT_EQ(found, 1) << id;
        }
    }
    EXPECT_EQ(options_dialog_template(DialogLanguage::english).title, "Setup Options");
    EXPECT_EQ(options_dialog_template(DialogLanguage::french).title, "Paramètres");
    for (const DialogControl& c : options_dialog_template(DialogLanguage::english).controls)
        if (c.id == IDC_HARDWARE) {
            EXPECT_EQ(c.text, "Use Hardware Acceleration ");
        }
}

} // namespace
