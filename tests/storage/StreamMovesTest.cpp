// Opening and closing gaps inside a stream, on a memory stream that records its reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HvLXStreamMoves.h"

using namespace hv;

namespace {

class RecordingStream : public TMemoryStream {
 public:
  using TMemoryStream::TMemoryStream;
  size_t Read(void* buffer, size_t count) override {
    reads.push_back(static_cast<std::int64_t>(count));
    return TMemoryStream::Read(buffer, count);
  }
  std::vector<std::int64_t> reads;
};

std::string Pattern(size_t size) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>('a' + i % 23);
  return s;
}

std::wstring MessageOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const Exception& e) {
    return e.Message();
  }
  return L"(nothing raised)";
}

}  // namespace

TEST(StreamMoves, GapsAndRemovalsAtTheStartMiddleAndEnd) {
  struct Case {
    std::int64_t position, length;
    const char* afterRemove;  // of "abcdefgh"
  };
  const Case cases[] = {{0, 3, "defgh"}, {3, 2, "abcfgh"}, {6, 2, "abcdef"}, {8, 0, "abcdefgh"}, {0, 8, ""}, {4, 0, "abcdefgh"}};
  for (size_t row = 0; row < std::size(cases); ++row) {
    const Case& c = cases[row];
    TMemoryStream gap(std::string("abcdefgh"));
    StreamInsertGap(gap, c.position, c.length);
    std::string expected = "abcdefgh";
    expected.insert(c.position, std::string(c.length, '?'));
    std::string got = gap.Bytes();
    got.replace(c.position, c.length, std::string(c.length, '?'));  // the gap's bytes are the caller's
    EXPECT_EQ(got, expected) << "row " << row;

    TMemoryStream removal(std::string("abcdefgh"));
    StreamRemoveRange(removal, c.position, c.length);
    EXPECT_EQ(removal.Bytes(), c.afterRemove) << "row " << row;
  }
}

TEST(StreamMoves, ATailOfThreeChunksAndFiveBytesMovesInFourPieces) {
  const std::int64_t tail = 3 * kStreamMoveChunk + 5;
  const std::string original = Pattern(static_cast<size_t>(tail + 7));

  RecordingStream up(original);
  StreamInsertGap(up, 7, 2);
  EXPECT_EQ(up.reads, (std::vector<std::int64_t>{kStreamMoveChunk, kStreamMoveChunk, kStreamMoveChunk, 5}));
  EXPECT_EQ(up.Bytes().substr(0, 7), original.substr(0, 7));
  EXPECT_EQ(up.Bytes().substr(9), original.substr(7));

  RecordingStream down(up.Bytes());
  StreamRemoveRange(down, 7, 2);
  EXPECT_EQ(down.reads, (std::vector<std::int64_t>{kStreamMoveChunk, kStreamMoveChunk, kStreamMoveChunk, 5}));
  EXPECT_EQ(down.Bytes(), original);
}

TEST(StreamMoves, WrongArgumentsRaiseAndChangeNothing) {
  TMemoryStream stream(std::string("abcd"));
  EXPECT_EQ(MessageOf([&] { StreamInsertGap(stream, -1, 1); }), L"Internal Error: Position (-1) was not positive.");
  EXPECT_EQ(MessageOf([&] { StreamInsertGap(stream, 5, 1); }),
            L"Internal Error: Position (5) was greater than size (4).");
  EXPECT_EQ(MessageOf([&] { StreamRemoveRange(stream, 1, -2); }), L"Internal Error: DataLen (-2) was negative.");
  // Removing past the end would cut bytes before the position.
  EXPECT_EQ(MessageOf([&] { StreamRemoveRange(stream, 3, 2); }),
            L"Internal Error: DataLen (2) reaches past the size (4) from position (3).");
  EXPECT_EQ(stream.Bytes(), "abcd");

  std::string small(3, 'x');
  EXPECT_EQ(MessageOf([&] { ReadStreamBytes(stream, small, 4); }), L"Internal Error: Insufficient buffer.");
  EXPECT_EQ(MessageOf([&] { WriteStreamBytes(stream, small, 4); }), L"Internal Error: Insufficient buffer.");
  EXPECT_NO_THROW(ReadStreamBytes(stream, small, 0));
  stream.SetPosition(3);
  EXPECT_THROW(ReadStreamBytes(stream, small, 2), EReadError);
}
