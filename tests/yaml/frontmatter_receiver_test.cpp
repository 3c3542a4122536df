// The receiver fed events directly: order faults, merges and its state.
#include <gtest/gtest.h>

#include <string>

#include "yaml/frontmatter_receiver.hpp"

namespace zav {
namespace {

YamlEvent event(YamlEventType type, std::string_view text = {}, std::uint64_t anchor = 0) {
  YamlEvent e;
  e.type = type;
  e.text = text;
  e.anchor_id = anchor;
  return e;
}

using enum YamlEventType;

TEST(FrontmatterReceiver, ReportsEventsOutOfOrder) {
  FrontmatterReceiver unmatched;
  unmatched.on_event(event(SequenceEnd));
  EXPECT_EQ(unmatched.error(), "unexpected YAML collection end");

  FrontmatterReceiver dangling;
  dangling.on_event(event(MappingStart));
  dangling.on_event(event(Scalar, "k"));
  dangling.on_event(event(MappingEnd));
  EXPECT_EQ(dangling.error(), "mapping key has no value");
}

TEST(FrontmatterReceiver, KeepsTheFirstErrorAndDropsLaterEvents) {
  FrontmatterReceiver receiver;
  receiver.on_event(event(MappingStart));
  receiver.on_event(event(Alias, {}, 7));  // no anchor 7: taken as cyclic
  receiver.on_event(event(MappingEnd));
  receiver.on_event(event(SequenceEnd));
  EXPECT_EQ(receiver.error(), "frontmatter contains a cyclic YAML anchor");
  EXPECT_TRUE(receiver.document_roots().empty());

  receiver.restart();
  EXPECT_FALSE(receiver.error());
  receiver.on_event(event(Scalar, "x", 1));
  receiver.on_event(event(Alias, {}, 1));
  EXPECT_EQ(receiver.document_roots().size(), 2u);
}

TEST(FrontmatterReceiver, CollectsMergeMaps) {
  JsonList maps{JsonValue{JsonMap{{"a", JsonValue{std::string("1")}}}}, JsonValue{JsonMap{}}};
  auto collected = collect_merge_maps(maps);
  ASSERT_TRUE(collected);
  ASSERT_EQ(collected->size(), 2u);
  EXPECT_TRUE((*collected)[0].contains("a"));
  EXPECT_TRUE(collect_merge_maps({})->empty());
  JsonList mixed{JsonValue{JsonMap{}}, JsonValue{std::string("t")}};
  EXPECT_EQ(collect_merge_maps(mixed).error(), "YAML merge sequence items must be mappings");

  // A "<<" list with an item that is no map fails the receiver with that message.
  FrontmatterReceiver receiver;
  for (const YamlEvent& e :
       {event(MappingStart), event(Scalar, "<<"), event(SequenceStart), event(MappingStart),
        event(MappingEnd), event(Scalar, "t"), event(SequenceEnd), event(MappingEnd)}) {
    receiver.on_event(e);
  }
  EXPECT_EQ(receiver.error(), "YAML merge sequence items must be mappings");
  EXPECT_TRUE(receiver.document_roots().empty());
}

TEST(FrontmatterReceiver, StoresCopiesSoAliasesDoNotShare) {
  FrontmatterReceiver receiver;
  receiver.on_event(event(SequenceStart, {}, 1));
  receiver.on_event(event(Scalar, "a"));
  receiver.on_event(event(SequenceEnd));
  receiver.on_event(event(Alias, {}, 1));
  auto& roots = receiver.document_roots();
  ASSERT_EQ(roots.size(), 2u);
  std::get<JsonList>(roots[0].value).clear();
  ASSERT_NE(roots[1].as_list(), nullptr);
  EXPECT_EQ(roots[1].as_list()->size(), 1u);
}

}  // namespace
}  // namespace zav
