// The contract suite against the test toolkit, with nested and with queued messages.

#include "tests/editor/test_toolkit_harness.h"

namespace orvalen::test {

using TestToolkitFactories =
    ::testing::Types<TestToolkitFactory<Delivery::kNested>, TestToolkitFactory<Delivery::kQueued>>;
INSTANTIATE_TYPED_TEST_SUITE_P(TestToolkit, ToolkitContract, TestToolkitFactories);

}  // namespace orvalen::test
