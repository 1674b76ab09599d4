// The contract suite against the test toolkit, with nested and with queued messages.

#include "tests/editor/test_toolkit_harness.h"

namespace orvalen::test {

using TestToolkitFactories =
    ::testing::Types<TestToolkitFactory<Delivery::kNested>, TestToolkitFactory<Delivery::kQueued>>;

// Names the instances after their delivery, instead of the factory's full type.
struct DeliveryName {
  template <typename Factory>
  static std::string GetName(int index) {
    return index == 0 ? "Nested" : "Queued";
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(TestToolkit, ToolkitContract, TestToolkitFactories, DeliveryName);

}  // namespace orvalen::test
