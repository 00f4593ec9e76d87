// Screenshot names, and the thumbnail worker's single slot: while one
// thumbnail decodes, only the latest hover waits; a thumbnail of a clip left
// meanwhile is neither kept nor reported.
#include <gtest/gtest.h>

#include <QByteArray>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "engine/screenshot_name.h"
#include "engine/thumbnail_worker.h"

namespace tavimo {
namespace {

std::string Repeat(const char* piece, int times) {
    return QByteArray(piece).repeated(times).toStdString();
}

// The name of a clip's shot at a moment; a first one and a clash are the
// screenshot test's. A clip name too long for one file name (255 bytes) is
// cut so that the time, the attempt and ".png" still fit, never in the middle
// of a character.
TEST(ScreenshotName, NamesTheClipAndTheMomentInAFileName) {
    struct Case {
        const char* what;
        std::string clip;
        int64_t position;
        int attempt;
        std::string name;
    } cases[] = {
        {"hours past nine, ms kept", "/v/a.b.mp4", 1234567890123, 1, "a.b 34-17-36.789.png"},
        {"no extension", "/v/clip", 0, 1, "clip 0-00-00.000.png"},
        {"hidden file keeps its name", "/v/.secret", 10000, 1, ".secret 0-00-00.001.png"},
        {"URL without query", "http://host/films/sea.mp4?token=1/2#t=3", 0, 1,
         "sea 0-00-00.000.png"},
        {"nothing to name it by", "http://host/", -5, 3, "Tavimo 0-00-00.000 (3).png"},
        {"long ASCII, first try", "/v/" + std::string(300, 'a') + ".mkv", 0, 1,
         std::string(239, 'a') + " 0-00-00.000.png"},
        {"long ASCII, a clash takes four bytes more", "/v/" + std::string(300, 'a') + ".mkv", 0, 12,
         std::string(234, 'a') + " 0-00-00.000 (12).png"},
        {"two-byte letters: the last whole one", "/v/" + Repeat("\xc3\xa9", 150) + ".mkv", 0, 1,
         Repeat("\xc3\xa9", 119) + " 0-00-00.000.png"},
        {"three-byte letters: the last whole one", "/v/" + Repeat("\xe6\x97\xa5", 100) + ".mkv", 0,
         1, Repeat("\xe6\x97\xa5", 79) + " 0-00-00.000.png"},
        {"a four-byte letter at the edge goes whole",
         "/v/" + std::string(237, 'b') + "\xf0\x9f\x8e\xac.mp4", 0, 1,
         std::string(237, 'b') + " 0-00-00.000.png"},
        {"exactly 255 bytes is left as it is", "/v/" + std::string(239, 'c') + ".mp4", 0, 1,
         std::string(239, 'c') + " 0-00-00.000.png"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScreenshotName(c.clip, c.position, c.attempt), c.name) << c.what;
}

// Decodes hold until released; every position asked is logged.
class GatedSource : public IThumbnailSource {
  public:
    HRESULT GetThumbnail(REFERENCE_TIME position, int width, VideoImage* image) override {
        std::unique_lock lock(mutex);
        asked.push_back(position);
        cv.notify_all();
        cv.wait(lock, [this] { return open; });
        image->width = width;
        image->height = height;
        image->rgbx.assign(size_t(width) * height * 4, uint8_t(mark + position / 10000000));
        return fail ? E_FAIL : S_OK;
    }
    void Open() {
        std::lock_guard lock(mutex);
        open = true;
        cv.notify_all();
    }
    void WaitAsked(size_t n) {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return asked.size() >= n; });
    }
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<REFERENCE_TIME> asked;
    bool open = false;
    bool fail = false;
    int mark = 0;  // added to each picture's bytes
    int height = 1;
};

struct Reports {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<std::pair<int64_t, int>> got;  // bucket, first byte (-1: none)
    void Add(int64_t bucket, const std::shared_ptr<const VideoImage>& image) {
        std::lock_guard lock(mutex);
        got.emplace_back(bucket, image ? image->rgbx.at(0) : -1);
        cv.notify_all();
    }
    void Wait(size_t n) {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(5), [&] { return got.size() >= n; }));
    }
};

constexpr int64_t kSecond = 10000000;

// A worker of 160-pixel thumbnails reporting to `reports`, and a gated source.
class ThumbnailWorkerTest : public testing::Test {
  protected:
    Reports reports;
    ThumbnailWorker worker{160, [this](int64_t b, auto image) { reports.Add(b, image); }};
    std::shared_ptr<GatedSource> source = std::make_shared<GatedSource>();
};

// A 100 s clip: buckets of 1 s, each decoded at its middle.
TEST_F(ThumbnailWorkerTest, OnlyTheLatestWaitingHoverIsDecoded) {
    worker.SetSource(source, 100 * kSecond);
    EXPECT_EQ(worker.BucketOf(42 * kSecond + 999), 42);
    EXPECT_EQ(worker.BucketOf(500 * kSecond), 99) << "past the end: the last bucket";

    EXPECT_EQ(worker.Request(10), nullptr);
    source->WaitAsked(1);  // bucket 10 decodes; the next ones wait
    worker.Request(20);
    worker.Request(30);
    worker.Request(40);
    source->Open();
    reports.Wait(2);
    EXPECT_EQ(source->asked, (std::vector<REFERENCE_TIME>{105000000, 405000000}))
        << "20 and 30 were passed by before they started";
    EXPECT_EQ(reports.got, (std::vector<std::pair<int64_t, int>>{{10, 10}, {40, 40}}));
    ASSERT_NE(worker.Request(40), nullptr);
    EXPECT_EQ(worker.Request(40)->rgbx.at(0), 40);
    EXPECT_EQ(worker.Decodes(), 2);
}

// Mended: thumbnails were kept by count alone, 200 of them, so a clip whose
// pixels are 273 times as tall as wide kept 21 MB a thumbnail. They are kept
// up to 48 MB, the oldest going first; one let go is decoded again when
// asked.
TEST_F(ThumbnailWorkerTest, KeptThumbnailsAreBoundedByBytes) {
    source->height = 160 * 273 * 9 / 16;  // 160 x 24570: 15.7 MB
    source->Open();
    worker.SetSource(source, 100 * kSecond);
    for (int64_t bucket : {1, 2, 3, 4}) {
        worker.Request(bucket);
        reports.Wait(size_t(bucket));
    }
    EXPECT_LE(worker.KeptBytes(), size_t{48} << 20);
    EXPECT_EQ(worker.KeptBytes(), size_t{3} * 160 * 24570 * 4) << "three fit";
    for (int64_t bucket : {2, 3, 4})
        EXPECT_NE(worker.Request(bucket), nullptr) << bucket;
    EXPECT_EQ(worker.Request(1), nullptr) << "the oldest went";
    reports.Wait(5);
    EXPECT_NE(worker.Request(1), nullptr) << "decoded again";
    EXPECT_EQ(worker.Decodes(), 5);
}

// The clip changes while a thumbnail of the old one decodes: that thumbnail
// must not stand for the new clip's bucket.
TEST_F(ThumbnailWorkerTest, AThumbnailOfTheClipLeftIsDropped) {
    auto old = std::make_shared<GatedSource>();
    old->mark = 100;
    worker.SetSource(old, 100 * kSecond);
    worker.Request(5);
    old->WaitAsked(1);
    auto fresh = std::make_shared<GatedSource>();
    fresh->Open();
    worker.SetSource(fresh, 100 * kSecond);
    old->Open();
    worker.Request(5);
    reports.Wait(1);
    EXPECT_EQ(reports.got, (std::vector<std::pair<int64_t, int>>{{5, 5}}));
    EXPECT_EQ(fresh->asked.size(), 1u);
    EXPECT_EQ(worker.Decodes(), 1);
}

// A failed decode: nothing more is asked, and the preview shows time alone.
TEST_F(ThumbnailWorkerTest, AFailedDecodeLeavesTheTimeAlone) {
    EXPECT_FALSE(worker.Available()) << "no clip";
    source->fail = true;
    source->Open();
    worker.SetSource(source, 100 * kSecond);
    EXPECT_TRUE(worker.Available());
    worker.Request(3);
    reports.Wait(1);
    EXPECT_EQ(reports.got.at(0).second, -1);
    EXPECT_FALSE(worker.Available());
    EXPECT_EQ(worker.Request(4), nullptr);
    EXPECT_EQ(source->asked.size(), 1u);
}

}  // namespace
}  // namespace tavimo
