#include <gtest/gtest.h>

#include <functional>

#include "presets/TFormParam.h"

namespace vorpline {

namespace {

const PresetParameters kEdited = {{300, 0}, {4799, 100}, {1, 127}, 0x33};

struct Case {
    const char* name;
    PresetParameters start;
    std::function<void(TFormParam&)> act;
    PresetParameters expected;
    bool accepted;
};

TEST(TFormParamTest, OnlyOkStoresTheControls) {
    PresetParameters beyond = kEdited;
    beyond.bendRange = {3000, -5};
    beyond.modulationRange = {70000, 2400}; // a 16-bit field: 70000 reads as 4464
    beyond.legatoFlags = 0xCC;              // no box for the other bits
    PresetParameters clamped = beyond;
    clamped.bendRange = {2399, 0};
    clamped.modulationRange = {4464, 2400};
    clamped.legatoFlags = 0;

    const Case cases[] = {
        {"ok unchanged", kEdited, [](TFormParam&) {}, kEdited, true},
        {"default then cancel", kEdited, [](TFormParam& f) { f.ButtonDefault.Click(); }, kEdited,
         false},
        {"default then ok", kEdited, [](TFormParam& f) { f.ButtonDefault.Click(); },
         PresetParameters{}, true},
        {"out of range shown clamped", beyond, [](TFormParam&) {}, clamped, true},
        {"reset undoes edits", kEdited,
         [](TFormParam& f) {
             f.TrackBarPitch56.SetPosition(5);
             f.CheckBox56Attack.SetChecked(false);
             f.ButtonReset.Click();
         },
         kEdited, true},
        {"each control to its value", PresetParameters{},
         [](TFormParam& f) {
             f.TrackBarDepth1234.SetPosition(4799);
             f.TrackBarDepth56.SetPosition(100);
             f.TrackBarPitch1234.SetPosition(300);
             f.TrackBarPitch56.SetPosition(0);
             f.TrackBarPortamento1234.SetPosition(1);
             f.TrackBarPortamento56.SetPosition(127);
             for (CheckBox* box : {&f.CheckBox1234Release, &f.CheckBox1234Attack,
                                   &f.CheckBox56Release, &f.CheckBox56Attack}) {
                 box->SetChecked(true);
             }
         },
         kEdited, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PresetParameters values = c.start;
        TFormParam form(values, "Vorpline 4.30");
        form.Show();
        c.act(form);
        (c.accepted ? form.ButtonOk : form.ButtonCancel).Click();
        EXPECT_EQ(values, c.accepted ? c.expected : c.start);
        EXPECT_EQ(form.Accepted(), c.accepted);
        EXPECT_FALSE(form.Visible());
    }
}

} // namespace
} // namespace vorpline
