#include "ScriptedSeam.h"

#include <gtest/gtest.h>
#include <stdexcept>

using modal::Answer;
using testing_support::ScriptedSeam;

TEST(GeneralErrorReport, ShowsTheErrorTextAndStopsTheHandler) {
    ScriptedSeam seam;
    seam.expectMessage("Disk is full");
    bool ranPastThrow = false;
    modal::guarded([&] {
        throw std::runtime_error("Disk is full");
        ranPastThrow = true;
    });
    EXPECT_FALSE(ranPastThrow);
    EXPECT_EQ(seam.messages.at(0).icon, modal::Icon::Error);
}

TEST(ScriptedSeam, InputBoxCancelGivesBackTheShownValue) {
    ScriptedSeam seam;
    seam.expectInput("Name", std::nullopt).expectInput("Name", QString("New"));
    EXPECT_EQ(modal::seam().inputBox("Budget", "Name", "Old"), "Old");
    EXPECT_EQ(modal::seam().inputBox("Budget", "Name", "Old"), "New");
}

TEST(ScriptedSeam, AnswersInOrderAndCountsBeeps) {
    ScriptedSeam seam;
    seam.expectMessage("first", Answer::Yes).expectMessage("second", Answer::No);
    EXPECT_EQ(modal::showMessage("the first one", {}, modal::Buttons::YesNo, modal::Icon::None, true),
              Answer::Yes);
    EXPECT_EQ(modal::showMessage("the second one", {}, modal::Buttons::YesNo), Answer::No);
    EXPECT_EQ(seam.beeps, 1);
}
