#pragma once

// Contract tests of the control surface, shared by every implementation. An implementation's
// test file instantiates the suite with a factory:
//   INSTANTIATE_TEST_SUITE_P(Memory, ControlSurfaceContract, testing::Values(MakeMemory));

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "common/control_surface.h"
#include "common/gbk.h"
#include "common/option_lock.h"

namespace miyoutong::testing_support {

// Gives a fresh surface; `run` carries out a callable on the side the test should call from
// (the UI thread, or a worker that waits for the UI thread).
struct ContractTarget {
    std::string name;
    std::function<std::shared_ptr<ControlSurface>()> make;
    std::function<void(const std::function<void()>&)> run = [](const auto& body) { body(); };
};

inline std::ostream& operator<<(std::ostream& out, const ContractTarget& target) {
    return out << target.name;
}

class ControlSurfaceContract : public ::testing::TestWithParam<ContractTarget> {
protected:
    void SetUp() override { surface_ = GetParam().make(); }
    void Run(const std::function<void()>& body) { GetParam().run(body); }
    ControlSurface& surface() { return *surface_; }

private:
    std::shared_ptr<ControlSurface> surface_;
};

TEST_P(ControlSurfaceContract, ComboEdges) {
    Run([&] {
        ControlSurface& c = surface();
        const Control list = Control::组合框_起始年龄;
        // An empty list selects nothing, whatever the index.
        c.ComboSelect(list, 0);
        EXPECT_EQ(c.ComboSelection(list), -1);
        EXPECT_EQ(c.ComboItemValue(list, -1), -1);
        EXPECT_EQ(c.ComboItemValue(list, 0), -1);

        EXPECT_EQ(c.ComboAddItem(list, Gbk("请选择"), -1), 0);
        EXPECT_EQ(c.ComboAddItem(list, "30", 30), 1);
        EXPECT_EQ(c.ComboAddItem(list, "20"), 2);  // no value carries 0, and no sorting
        EXPECT_EQ(c.ComboItemCount(list), 3);
        EXPECT_EQ(c.ComboItemText(list, 1), "30");
        EXPECT_EQ(c.ComboItemText(list, 2), "20");
        EXPECT_EQ(c.ComboItemValue(list, 2), 0);
        EXPECT_EQ(c.ComboItemValue(list, 3), -1);

        struct Case {
            int select;
            int expected;
        };
        for (const Case& k : {Case{1, 1}, Case{99, 2}, Case{0, 0}, Case{-1, -1}, Case{2, 2},
                              Case{-7, -1}}) {
            c.ComboSelect(list, k.select);
            EXPECT_EQ(c.ComboSelection(list), k.expected) << "select " << k.select;
        }
        EXPECT_EQ(c.ComboItemValue(list, c.ComboSelection(list)), -1);

        c.ComboSelect(list, 1);
        c.ComboClear(list);
        EXPECT_EQ(c.ComboItemCount(list), 0);
        EXPECT_EQ(c.ComboSelection(list), -1);
    });
}

TEST_P(ControlSurfaceContract, DisabledControlsKeepTheirState) {
    Run([&] {
        ControlSurface& c = surface();
        c.ComboAddItem(Control::组合框_性别, Gbk("男"), 0);
        c.ComboAddItem(Control::组合框_性别, Gbk("女"), 1);
        c.ComboSelect(Control::组合框_性别, 1);
        c.SetChecked(Control::选择框2, true);
        c.SetEnabled(Control::组合框_性别, false);
        c.SetEnabled(Control::选择框2, false);
        EXPECT_FALSE(c.IsEnabled(Control::组合框_性别));
        EXPECT_EQ(c.ComboSelection(Control::组合框_性别), 1);
        EXPECT_EQ(c.ComboItemValue(Control::组合框_性别, 1), 1);
        EXPECT_EQ(c.CheckState(Control::选择框2), 1);
        // Still settable while disabled.
        c.ComboSelect(Control::组合框_性别, 0);
        c.SetChecked(Control::选择框2, false);
        EXPECT_EQ(c.ComboSelection(Control::组合框_性别), 0);
        EXPECT_EQ(c.CheckState(Control::选择框2), 0);
    });
}

TEST_P(ControlSurfaceContract, ResultListEdges) {
    Run([&] {
        ControlSurface& c = surface();
        EXPECT_EQ(c.RowCount(), 0);
        EXPECT_EQ(c.RowSelection(), -1);
        EXPECT_EQ(c.InsertRow(-1, "a"), 0);
        EXPECT_EQ(c.InsertRow(5, "b"), 1);  // past the end appends
        EXPECT_EQ(c.InsertRow(0, "c"), 0);  // in front
        EXPECT_EQ(c.RowCount(), 3);
        EXPECT_EQ(c.CellText(0, 0), "c");
        EXPECT_EQ(c.CellText(1, 0), "a");
        EXPECT_EQ(c.CellText(2, 0), "b");

        c.SetCellText(1, 8, Gbk("m/1.jpg"));
        c.SetCellText(1, 7, Gbk("下载完成"));
        EXPECT_EQ(c.CellText(1, 8), Gbk("m/1.jpg"));
        EXPECT_EQ(c.CellText(1, 7), Gbk("下载完成"));
        EXPECT_EQ(c.CellText(1, 3), "");

        for (auto [row, column] : {std::pair{-1, 0}, std::pair{3, 0}, std::pair{0, -1},
                                   std::pair{0, kResultColumnCount}}) {
            EXPECT_EQ(c.CellText(row, column), "") << row << "," << column;
        }
        c.DeleteAllRows();
        EXPECT_EQ(c.RowCount(), 0);
        EXPECT_EQ(c.CellText(0, 0), "");
    });
}

TEST_P(ControlSurfaceContract, CaptionsAndCheckBoxes) {
    Run([&] {
        ControlSurface& c = surface();
        c.SetCaption(Control::标签11, Gbk("已搜索到：3个美女"));
        EXPECT_EQ(c.Caption(Control::标签11), Gbk("已搜索到：3个美女"));
        EXPECT_EQ(c.CheckState(Control::选择框1), 0);
        c.SetChecked(Control::选择框1, true);
        EXPECT_EQ(c.CheckState(Control::选择框1), 1);
    });
}

TEST_P(ControlSurfaceContract, OptionLockCoversExactlyThirteenControls) {
    Run([&] {
        ControlSurface& c = surface();
        for (int round = 0; round < 2; ++round) {  // twice: same state
            SetOptionsLocked(c, true);
        }
        for (Control control : AllControls()) {
            const bool locked = std::find(kOptionLockControls.begin(), kOptionLockControls.end(),
                                          control) != kOptionLockControls.end();
            EXPECT_EQ(c.IsEnabled(control), !locked) << ControlName(control);
        }
        SetOptionsLocked(c, false);
        SetOptionsLocked(c, false);
        for (Control control : AllControls()) {
            EXPECT_TRUE(c.IsEnabled(control)) << ControlName(control);
        }
    });
}

}  // namespace miyoutong::testing_support
