// THvIndexedTempFileStream: a numbered sequence of byte buffers of any length kept in a
// temporary file, back to back in index order with nothing between them; only their offsets
// are kept in memory. Inserting, replacing and deleting in the middle move the file's tail, so
// they cost time in proportion to the size of the tail.
//
// A write that fails (a full disk) raises the system error and leaves the buffers as they
// were: the file never grows past its buffers and the offsets never point past the data. After
// a read error half-way through a move, what the file holds is not defined.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "HvLXList.h"
#include "HvLXTempFileStream.h"

namespace hv {

class THvIndexedTempFileStream {
 public:
  THvIndexedTempFileStream();
  ~THvIndexedTempFileStream();
  THvIndexedTempFileStream(const THvIndexedTempFileStream&) = delete;
  THvIndexedTempFileStream& operator=(const THvIndexedTempFileStream&) = delete;

  // Operations that take an index raise "Internal Error: Index (%d) is less than zero." or
  // "Internal Error: Index (%d) is not less than count (%d)." and change nothing.
  int GetCount() const { return FPositions.Count(); }
  std::int64_t GetBufferLen(int index) const;
  // Where buffer `index` starts in the data.
  std::int64_t GetBufferPosition(int index) const;
  // The sum of the buffer lengths.
  std::int64_t DataSize() const { return FFileSize + static_cast<std::int64_t>(FPending.size()); }
  const std::wstring& FileName() const { return FS->TempFileName(); }

  // Copies buffer `index` to `buffer`; "Internal Error: Insufficient buffer." when
  // `bufferSize` is smaller than the buffer.
  void Get(int index, void* buffer, std::int64_t bufferSize) const;

  // Add, Insert and Put raise "Internal Error: BufferLen (%d) was negative." for a negative
  // length and change nothing.
  // Answers the new buffer's index.
  int Add(const void* buffer, std::int64_t bufferLen);
  int AddEmptyBuffer() { return Add(nullptr, 0); }
  // The new buffer gets `index`; index = count appends.
  void Insert(int index, const void* buffer, std::int64_t bufferLen);
  void InsertEmptyBuffer(int index) { Insert(index, nullptr, 0); }
  // Replaces buffer `index`; the length may change.
  void Put(int index, const void* buffer, std::int64_t bufferLen);
  void PutEmptyBuffer(int index) { Put(index, nullptr, 0); }
  void Delete(int index);
  void Clear();

 private:
  static void CheckLength(std::int64_t bufferLen);
  void CheckIndex(int index) const;
  // Writes what Add kept in memory to the file; on failure it stays in memory.
  void Flush();
  // For changes in the middle: everything in the file, and nothing cached of it.
  void PrepareFileChange();
  // A guard that reads the file's size back when a change in the middle ends, on every path:
  // after a failure it is what the file holds (unchanged when the disk was full).
  auto ResyncFileSizeAtEnd();
  void WriteAt(std::int64_t position, const void* buffer, std::int64_t count);
  void ShiftPositionsFrom(int index, std::int64_t by);

  std::unique_ptr<TTempFileStream> FS;
  THvList<std::int64_t> FPositions;
  std::int64_t FFileSize = 0;  // bytes written to FS
  // Small buffers added at the end wait here and go to the file together: one write per
  // buffer would cost a system call each.
  std::string FPending;
  // A copy of file bytes from FCacheStart, so buffers read in order cost no call each.
  mutable std::string FCache;
  mutable std::int64_t FCacheStart = 0;
};

}  // namespace hv
