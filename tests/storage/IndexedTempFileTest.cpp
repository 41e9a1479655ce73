// The indexed temporary file against a plain vector of the same buffers: offsets, lengths and
// contents after every change, at the start, in the middle and at the end, and on a full disk.
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "HvLXIndexedTempFile.h"
#include "HvLXStreamMoves.h"

using namespace hv;

namespace {

using Model = std::vector<std::string>;

std::string Bytes(size_t size, char first) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(first + i % 50);
  return s;
}

std::string Read(const THvIndexedTempFileStream& file, int index) {
  std::string s(static_cast<size_t>(file.GetBufferLen(index)), '\0');
  file.Get(index, s.data(), static_cast<std::int64_t>(s.size()));
  return s;
}

// Buffers back to back in index order: every offset, length and byte as the model says.
void ExpectHolds(const THvIndexedTempFileStream& file, const Model& model, const std::string& where) {
  ASSERT_EQ(file.GetCount(), static_cast<int>(model.size())) << where;
  std::int64_t offset = 0;
  for (int i = 0; i < file.GetCount(); ++i) {
    EXPECT_EQ(file.GetBufferPosition(i), offset) << where << ", buffer " << i;
    EXPECT_EQ(Read(file, i), model[i]) << where << ", buffer " << i;
    offset += static_cast<std::int64_t>(model[i].size());
  }
  EXPECT_EQ(file.DataSize(), offset) << where;
}

std::int64_t SizeOnDisk(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::wstring MessageOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const Exception& e) {
    return e.Message();
  }
  return L"(nothing raised)";
}

// A disk on which the temporary files may not grow past `limit` bytes: a write that would
// pass it writes what fits and fails with ERROR_DISK_FULL, as a real full disk does.
class DiskFullPast {
 public:
  explicit DiskFullPast(std::int64_t limit)
      : FLimit(limit), FScope([this](HANDLE file, const void* buffer, DWORD count, DWORD* written) {
          LARGE_INTEGER zero{}, at{};
          SetFilePointerEx(file, zero, &at, FILE_CURRENT);
          if (at.QuadPart + count <= FLimit) return WriteFile(file, buffer, count, written, nullptr);
          const DWORD fits = at.QuadPart < FLimit ? static_cast<DWORD>(FLimit - at.QuadPart) : 0;
          if (fits > 0) WriteFile(file, buffer, fits, written, nullptr);
          SetLastError(ERROR_DISK_FULL);
          return FALSE;
        }) {}

 private:
  std::int64_t FLimit;
  ScopedTempFileWriteCall FScope;
};

}  // namespace

TEST(IndexedTempFile, OffsetsAndLengthsOfBuffersBackToBack) {
  THvIndexedTempFileStream file;
  Model model;
  const std::string four = "1234", six = "abcdef", three = "xyz";
  EXPECT_EQ(file.Add(four.data(), 4), 0);
  EXPECT_EQ(file.AddEmptyBuffer(), 1);
  EXPECT_EQ(file.Add(six.data(), 6), 2);
  model = {four, "", six};
  ExpectHolds(file, model, "added 4, 0, 6");
  EXPECT_EQ(file.GetBufferPosition(2), 4);

  file.Insert(1, three.data(), 3);
  model.insert(model.begin() + 1, three);
  ExpectHolds(file, model, "inserted 3 at 1");
  EXPECT_EQ(SizeOnDisk(file.FileName()), 13) << "a change in the middle leaves everything in the file";

  file.Delete(1);
  model.erase(model.begin() + 1);
  ExpectHolds(file, model, "deleted 1");

  file.Put(0, "z", 1);
  model[0] = "z";
  ExpectHolds(file, model, "put 1 byte at 0");
  EXPECT_EQ(SizeOnDisk(file.FileName()), 7);

  file.Insert(3, "end", 3);  // index = count appends
  model.push_back("end");
  ExpectHolds(file, model, "inserted at count");

  file.Clear();
  ExpectHolds(file, {}, "cleared");
  EXPECT_EQ(SizeOnDisk(file.FileName()), 0);
  EXPECT_EQ(file.Add("q", 1), 0);
  ExpectHolds(file, {"q"}, "added after clear");
}

TEST(IndexedTempFile, ChangesAtTheStartMiddleAndEndIncludingEmptyAndLargeBuffers) {
  const std::string large = Bytes(static_cast<size_t>(kStreamMoveChunk * 2 + 321), 'A');
  struct Step {
    char op;  // i insert, p put, d delete
    int index;
    std::string data;
  };
  const Step steps[] = {
      {'i', 0, "first"}, {'i', 0, ""},      {'i', 2, "mid"},   {'i', 3, large},  {'p', 0, "now longer"},
      {'p', 1, ""},      {'p', 4, "short"}, {'i', 1, large},   {'p', 2, large},  {'d', 0, ""},
      {'d', 4, ""},      {'i', 3, ""},      {'p', 3, "x"},     {'d', 1, ""},     {'d', 0, ""},
  };
  THvIndexedTempFileStream file;
  Model model;
  for (int i = 0; i < 40; ++i) {
    model.push_back(Bytes(static_cast<size_t>(i % 7), static_cast<char>('a' + i % 20)));
    file.Add(model.back().data(), static_cast<std::int64_t>(model.back().size()));
  }
  ExpectHolds(file, model, "start");
  for (size_t row = 0; row < std::size(steps); ++row) {
    const Step& s = steps[row];
    // The same step at the start, in the middle and at the end.
    for (int where = 0; where < 3; ++where) {
      const int count = static_cast<int>(model.size());
      const int at = where == 0 ? s.index : where == 1 ? count / 2 : count - 1 - s.index;
      const auto len = static_cast<std::int64_t>(s.data.size());
      if (s.op == 'i') {
        file.Insert(at, s.data.data(), len);
        model.insert(model.begin() + at, s.data);
      } else if (s.op == 'p') {
        file.Put(at, s.data.data(), len);
        model[at] = s.data;
      } else {
        file.Delete(at);
        model.erase(model.begin() + at);
      }
      ExpectHolds(file, model, "step " + std::to_string(row) + " at " + std::to_string(at));
      if (HasFailure()) return;
    }
  }
  EXPECT_EQ(SizeOnDisk(file.FileName()), file.DataSize());
}

TEST(IndexedTempFile, WrongIndexesRaiseAndChangeNothing) {
  THvIndexedTempFileStream file;
  file.Add("ab", 2);
  char buffer[1];
  EXPECT_EQ(MessageOf([&] { file.Insert(2, "c", 1); }), L"Internal Error: Index (2) is not less than count (1).");
  EXPECT_EQ(MessageOf([&] { file.Put(-1, "c", 1); }), L"Internal Error: Index (-1) is less than zero.");
  EXPECT_EQ(MessageOf([&] { file.Delete(1); }), L"Internal Error: Index (1) is not less than count (1).");
  EXPECT_EQ(MessageOf([&] { file.GetBufferLen(1); }), L"Internal Error: Index (1) is not less than count (1).");
  EXPECT_EQ(MessageOf([&] { file.Get(0, buffer, 1); }), L"Internal Error: Insufficient buffer.");
  ExpectHolds(file, {"ab"}, "after the refused calls");

  // A negative length is a caller's mistake, not a request to take bytes of the next buffers.
  file.Add("cd", 2);
  const std::wstring negative = L"Internal Error: BufferLen (-1) was negative.";
  EXPECT_EQ(MessageOf([&] { file.Put(0, "x", -1); }), negative);
  EXPECT_EQ(MessageOf([&] { file.Add("x", -1); }), negative);
  EXPECT_EQ(MessageOf([&] { file.Insert(1, "x", -1); }), negative);
  EXPECT_EQ(MessageOf([&] { file.Insert(2, "x", -1); }), negative);
  ExpectHolds(file, {"ab", "cd"}, "after the negative lengths");
}

TEST(IndexedTempFile, AFullDiskLeavesTheBuffersAsTheyWere) {
  const std::string large = Bytes(static_cast<size_t>(kStreamMoveChunk + 17), 'L');
  struct Case {
    const char* what;
    std::int64_t room;  // bytes the file may still grow by
    std::function<void(THvIndexedTempFileStream&, Model&)> change;
    bool retry = true;  // the change can be made again once there is room
  };
  auto insert = [](int at, std::string data) {
    return [at, data](THvIndexedTempFileStream& f, Model& m) {
      f.Insert(at, data.data(), static_cast<std::int64_t>(data.size()));
      m.insert(m.begin() + at, data);
    };
  };
  const Case cases[] = {
      {"insert at the start", 0, insert(0, "new")},
      {"insert in the middle, partly fitting", 2, insert(20, "0123456789")},
      {"insert of a large buffer", 1000, insert(1, large)},
      {"put of a longer buffer", 5, [&](THvIndexedTempFileStream& f, Model& m) {
         f.Put(3, large.data(), static_cast<std::int64_t>(large.size()));
         m[3] = large;
       }},
      // The gap grows a chunk at a time: the chunks that fitted go again with the one that did not.
      {"large insert, first chunk fits", kStreamMoveChunk + 5, insert(1, large)},
      {"large put, first chunk fits", kStreamMoveChunk + 5, [&](THvIndexedTempFileStream& f, Model& m) {
         f.Put(3, large.data(), static_cast<std::int64_t>(large.size()));
         m[3] = large;
       }},
      {"add of a large buffer", 100, [&](THvIndexedTempFileStream& f, Model& m) {
         f.Add(large.data(), static_cast<std::int64_t>(large.size()));
         m.push_back(large);
       }},
      {"adds that fill the pending bytes", 0, [&](THvIndexedTempFileStream& f, Model& m) {
         // Small adds wait in memory; the one that must write them all fails, the others stay.
         const std::string piece = Bytes(1000, 'p');
         for (;;) {
           f.Add(piece.data(), 1000);
           m.push_back(piece);
         }
       }, false},
  };
  for (const Case& c : cases) {
    THvIndexedTempFileStream file;
    Model expected;
    for (int i = 0; i < 50; ++i) {
      expected.push_back(Bytes(static_cast<size_t>(1 + i % 9), static_cast<char>('a' + i % 26)));
      file.Add(expected.back().data(), static_cast<std::int64_t>(expected.back().size()));
    }
    file.Insert(0, "s", 1);  // writes everything to the file
    expected.insert(expected.begin(), "s");
    const std::int64_t sizeBefore = SizeOnDisk(file.FileName());
    ASSERT_EQ(sizeBefore, file.DataSize());
    {
      DiskFullPast full(sizeBefore + c.room);
      try {
        c.change(file, expected);
        ADD_FAILURE() << c.what << ": nothing raised";
      } catch (const EOSError& e) {
        EXPECT_EQ(e.ErrorCode(), static_cast<unsigned>(ERROR_DISK_FULL)) << c.what;
      }
    }
    ExpectHolds(file, expected, c.what);
    EXPECT_LE(SizeOnDisk(file.FileName()), file.DataSize()) << c.what << ": the file never holds more than its buffers";

    // With room again the same change works, and so does everything after it.
    Model state = expected;
    if (c.retry) {
      c.change(file, state);
      ExpectHolds(file, state, std::string(c.what) + ", with room again");
    }
    file.Insert(0, "t", 1);
    state.insert(state.begin(), "t");
    ExpectHolds(file, state, std::string(c.what) + ", later change");
    EXPECT_EQ(SizeOnDisk(file.FileName()), file.DataSize()) << c.what;
  }
}

TEST(IndexedTempFile, ShrinkingChangesNeedNoRoom) {
  THvIndexedTempFileStream file;
  Model model = {"aaaa", "bbbbbb", "cc", "dddddddd"};
  for (const std::string& b : model) file.Add(b.data(), static_cast<std::int64_t>(b.size()));
  file.Insert(0, "", 0);
  model.insert(model.begin(), "");
  DiskFullPast full(SizeOnDisk(file.FileName()));
  file.Put(2, "BB", 2);
  model[2] = "BB";
  file.Put(1, "AAAA", 4);
  model[1] = "AAAA";
  file.Delete(3);
  model.erase(model.begin() + 3);
  ExpectHolds(file, model, "on a full disk");
}
