// The engine's growable array and its view.
#include "regex/buffer.h"

#include <gtest/gtest.h>

namespace cw {
namespace {

TEST(BufferTest, GrowsByDoublingFromEight) {
  CBufferT<int> buffer;
  EXPECT_EQ(buffer.Capacity(), 0);
  buffer.Push(1);
  EXPECT_EQ(buffer.Capacity(), 8);
  for (int i = 2; i <= 9; ++i) buffer.Push(i);
  EXPECT_EQ(buffer.Capacity(), 16);
  ASSERT_EQ(buffer.Size(), 9);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(buffer[i], i + 1);
}

TEST(BufferTest, PopTopAndReadOutsideGiveTheDefault) {
  CBufferT<int> buffer;
  EXPECT_EQ(buffer.Pop(), 0);
  EXPECT_EQ(buffer.Pop(-7), -7);
  EXPECT_EQ(buffer.Top(-1), -1);
  buffer.Push(4);
  buffer.Push(5);
  EXPECT_EQ(buffer.Top(), 5);
  EXPECT_EQ(buffer.Pop(), 5);
  EXPECT_EQ(buffer.At(0), 4);
  EXPECT_EQ(buffer.At(1, 9), 9);
  EXPECT_EQ(buffer.At(-1, 9), 9);
}

TEST(BufferTest, PrepareFillsAndRestoreKeepsStorage) {
  CBufferT<int> buffer;
  buffer.Push(1);
  buffer.Prepare(4, -1);
  ASSERT_EQ(buffer.Size(), 5);
  EXPECT_EQ(buffer[0], 1);
  for (int i = 1; i < 5; ++i) EXPECT_EQ(buffer[i], -1);
  buffer.Prepare(2, 99);  // already valid: unchanged
  EXPECT_EQ(buffer[2], -1);
  const int* storage = buffer.Data();
  const int capacity = buffer.Capacity();
  buffer.Restore(1);
  EXPECT_EQ(buffer.Size(), 1);
  EXPECT_EQ(buffer.Data(), storage);
  EXPECT_EQ(buffer.Capacity(), capacity);
  buffer.Restore(10);  // never grows
  EXPECT_EQ(buffer.Size(), 1);
}

TEST(BufferTest, CopiesOwnTheirStorage) {
  CBufferT<wchar_t> original(L"abc", 3);
  CBufferT<wchar_t> copy(original);
  copy[0] = L'x';
  EXPECT_EQ(original[0], L'a');
  CBufferT<wchar_t> assigned;
  assigned = original;
  original.Push(L'd');
  EXPECT_EQ(assigned.Size(), 3);
  const CBufferRefT<wchar_t>& view = assigned;
  EXPECT_EQ(view[2], L'c');
}

}  // namespace
}  // namespace cw
