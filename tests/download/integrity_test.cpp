#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "download/md5.h"
#include "download/package_integrity.h"
#include "download/streaming_md5.h"
#include "tests/download/test_server.h"
#include "utils/text.h"

namespace {

using TestSupport::ScratchDir;

struct Vector {
    const char* input;
    const char* digest;
};

// RFC 1321, appendix A.5.
const Vector kRfcVectors[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Integrity, Md5MatchesTheRfcVectorsInAnyFeedPieces) {
    for (const auto& v : kRfcVectors) {
        const std::string input = v.input;
        for (size_t piece :
             {size_t(1), size_t(3), size_t(63), size_t(64), size_t(65), input.size() + 1}) {
            if (piece == 0) continue;
            Download::Md5 md5;
            for (size_t i = 0; i < input.size(); i += piece) {
                md5.Update(input.data() + i, std::min(piece, input.size() - i));
            }
            EXPECT_EQ(md5.FinishHex(), v.digest) << "input \"" << input << "\" piece " << piece;
        }
    }
}

TEST(Integrity, StreamingDigestEqualsTheDirectOne) {
    std::string data(3 * 1048576 + 12345, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 2654435761u) >> 13);
    Download::Md5 direct;
    direct.Update(data.data(), data.size());
    StreamingMd5 streaming;
    ASSERT_TRUE(streaming.Begin());
    for (size_t i = 0; i < data.size(); i += 70001) {
        streaming.Feed(data.data() + i, std::min<size_t>(70001, data.size() - i));
    }
    EXPECT_EQ(streaming.Finish(), direct.FinishHex());
    // A second run of the same object starts afresh.
    ASSERT_TRUE(streaming.Begin());
    streaming.Feed("abc", 3);
    EXPECT_EQ(streaming.Finish(), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(Integrity, FileDigestOfFilesAndMissingFiles) {
    ScratchDir dir;
    const std::wstring empty = dir.File(L"empty.bin");
    const std::wstring abc = dir.File(L"\u5854\u6C83 abc.bin");  // non-ANSI name
    ASSERT_TRUE(TestSupport::WriteFileBytes(empty, ""));
    ASSERT_TRUE(TestSupport::WriteFileBytes(abc, "abc"));
    EXPECT_EQ(GetFileMd5(empty), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(GetFileMd5(abc), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(GetFileMd5(Utils::WideToAnsi(empty, 0)), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(GetFileMd5(dir.File(L"missing.bin")), "");
    EXPECT_EQ(GetFileMd5(std::string()), "");
    EXPECT_EQ(GetFileMd5(std::wstring()), "");
    EXPECT_EQ(GetFileMd5(dir.Path()), "");  // a folder is not a package
}

TEST(Integrity, UrlDigestIsTheSecondToLastSegment) {
    const std::string d = "0123456789abcdef0123456789abcdef";
    const struct {
        std::string url;
        std::string expected;
    } cases[] = {
        {"http://h/software/509/" + d + "/TarvoPDFEditor.exe", d},
        {"http://h/x/0123456789ABCDEF0123456789ABCDEF/a.exe", "0123456789ABCDEF0123456789ABCDEF"},
        {"http://h/x/" + d + "/", d},
        {"http://host/file.exe", "host"},
        {"http://h/a/b.exe?x=/y", "b.exe?x="},
        {"a/b", ""},
        {"abc", ""},
        {"", ""},
        {"//", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(GetUrlMd5(c.url), c.expected) << c.url;
}

}  // namespace
