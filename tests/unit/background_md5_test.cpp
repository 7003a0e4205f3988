#include "core/background_md5.h"

#include <gtest/gtest.h>

#include "posix/posix_net.h"

namespace zorvak {
namespace {

TEST(BackgroundMd5, SameDigestWhateverThePieces) {
  posix::OpenSslCrypto crypto;
  std::string data;
  for (std::size_t i = 0; i < (3u << 20); ++i) data += static_cast<char>(i * 7919 % 251);
  const ports::Md5Digest want = crypto.md5(data);
  for (const std::size_t piece : {std::size_t(7), std::size_t(4096), std::size_t(16384), std::size_t(5 << 20)}) {
    BackgroundMd5 md5(crypto.newMd5(), 64 * 1024);
    for (std::size_t pos = 0; pos < data.size(); pos += piece) md5.update(std::string_view(data).substr(pos, piece));
    EXPECT_EQ(md5.finish(), want) << piece;
  }
  BackgroundMd5 empty(crypto.newMd5());
  EXPECT_EQ(empty.finish(), crypto.md5(""));
  BackgroundMd5 abandoned(crypto.newMd5());  // a failed fetch never asks for the digest
  abandoned.update("partial");
}

}  // namespace
}  // namespace zorvak
