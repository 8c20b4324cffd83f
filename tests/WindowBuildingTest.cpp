// The piece every window of the program builds its controls with, on a
// window of the tests' own.
#include <gtest/gtest.h>

#include <QWidget>

#include "ProbeWindow.h"
#include "framework/DesignRecord.h"
#include "windows/WindowBuilding.h"

using namespace fw;

// The text unit the build sets is 0, the default, so a check of 0 alone holds
// whether the build sets it or not: records that set another unit tell.
TEST(WindowBuilding, TheTextUnitIsSetBeforeTheRecordAndAUnitFromTheRecordIsInForce) {
    Ref<ProbeWindow> window = ProbeWindow::Open();
    const std::string inInches = EncodeRecord({{"TextUnit", 3}});
    const std::string plain = EncodeRecord({{"Text", "-"}});
    BuildControls(*window, {
                               {"Inches", GetLabelClass(), inInches, 0.25f},
                               {"Plain", GetLabelClass(), plain, 12.0f},
                           });
    // A quarter of an inch at 72 pixels an inch; 12 points, 12 pixels.
    const struct {
        const char* name;
        int32_t unit;
        int pixels;
    } built[] = {{"Inches", 3, 18}, {"Plain", 0, 12}};
    for (const auto& b : built) {
        SCOPED_TRACE(b.name);
        Ref<Label> label = DynamicCast<Label>(window->_ControlByName(b.name));
        EXPECT_EQ(label->TextUnit(), b.unit);
        EXPECT_EQ(label->Widget()->font().pixelSize(), b.pixels);
    }

    // Taken after the record, the build's own unit replaces the record's.
    BuildControls(*window, {{"RecordFirst", GetLabelClass(), inInches, 0.25f}},
                  {BuildStep::Record, BuildStep::TextSize, BuildStep::TextUnit});
    Ref<Label> recordFirst = DynamicCast<Label>(window->_ControlByName("RecordFirst"));
    EXPECT_EQ(recordFirst->TextUnit(), 0);
    window->Close();
}
