// Columns of collections, asked for in and out of text order, over every
// kind of line break.
#include <gtest/gtest.h>

#include <cstddef>
#include <utility>
#include <vector>

#include "yaml/collection_layout.hpp"

namespace zav {
namespace {

TEST(CollectionLayout, ColumnsCountFromTheLastLineBreak) {
  // Lines start at offsets 0, 3, 7 and 10.
  CollectionLayout layout("ab\ncd\r\nef\rgh");
  std::vector<std::pair<std::size_t, std::size_t>> offsets_and_columns = {
      {11, 1}, {4, 1}, {10, 0}, {8, 1}, {0, 0}, {3, 0}, {12, 2}, {1, 1}, {9, 2}};
  for (auto [offset, column] : offsets_and_columns) {
    ASSERT_FALSE(layout.begin_node(NodeKind::FlowCollection, offset, offset));
    EXPECT_EQ(layout.innermost_column(), column) << "offset " << offset;
    ASSERT_FALSE(layout.end_collection(offset + 1));
  }
}

}  // namespace
}  // namespace zav
