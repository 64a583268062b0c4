#include "common/memory_control_surface.h"

#include "control_surface_contract.h"

namespace miyoutong::testing_support {

INSTANTIATE_TEST_SUITE_P(Memory, ControlSurfaceContract,
                         testing::Values(ContractTarget{
                             "Memory", [] { return std::make_shared<MemoryControlSurface>(); }}));

TEST(MemoryControlSurface, MessagesUseTheDefaultCaptionAndScriptedResults) {
    MemoryControlSurface c;
    c.QueueMessageResult(kMessageResultCancel);
    EXPECT_EQ(c.ShowMessage("a", kMessageOkCancel | kMessageIconInformation, Gbk("提示")),
              kMessageResultCancel);
    EXPECT_EQ(c.ShowMessage("b", kMessageOk), kMessageResultOk);
    const auto messages = c.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].caption, Gbk("提示"));
    EXPECT_EQ(messages[0].flags, 65);
    EXPECT_EQ(messages[1].caption, Gbk("信息："));
}

}  // namespace miyoutong::testing_support
