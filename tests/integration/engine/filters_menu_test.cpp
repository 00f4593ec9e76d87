// The Filters menu over real pipelines: which filters a clip lists, in which
// order and with which ids; items that outlive their graph; the settings
// dialog's editing of an element's properties.
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "engine/filter_properties.h"
#include "engine/filters_menu.h"
#include "engine/media/gst_media.h"
#include "engine/player_host.h"
#include "engine/player_record.h"
#include "support/fake_dialogs.h"

namespace tavimo {
namespace {

namespace fs = std::filesystem;

class Host : public PlayerHost {
  public:
    platform::ScriptedDialogs dialogs;
    platform::Dialogs& Dialogs() override { return dialogs; }
    void SetWindowTitle(const std::string&) override {}
};

// The popup as a list of (id, name).
class RecordingPopup : public FiltersPopup {
  public:
    void RemoveAll() override { items.clear(); }
    void Append(int id, const std::string& name) override { items.emplace_back(id, name); }
    std::vector<std::pair<int, std::string>> items;
};

fs::path gMedia;

std::string Media(const char* name) {
    return (gMedia / name).string();
}

bool Launch(const std::string& pipeline) {
    return std::system(("gst-launch-1.0 -q " + pipeline + " >/dev/null 2>&1").c_str()) == 0;
}

void MakeMedia() {
    char dir[] = "/tmp/tavimo-filters-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    gMedia = dir;
    const std::string video =
        "videotestsrc num-buffers=50 ! video/x-raw,format=I420,width=320,height=240 ! ";
    const std::string audio = "audiotestsrc num-buffers=100 ! audioconvert ! ";
    const std::string aac = audio + "avenc_aac ! aacparse ! queue ! mux. ";
    const std::string mux = "mp4mux name=mux ! filesink location=";
    ASSERT_TRUE(Launch(video + "x264enc speed-preset=ultrafast ! h264parse ! queue ! mux. " + aac +
                       mux + Media("av.mp4")));
    ASSERT_TRUE(Launch(aac + mux + Media("audio.mp4")));
    ASSERT_TRUE(Launch(aac + aac + mux + Media("two-sounds.mp4")));
    ASSERT_TRUE(Launch(
        video + "avenc_wmv2 ! queue ! mux. " + audio +
        "avenc_wmav2 ! queue ! mux. asfmux name=mux ! filesink location=" + Media("clip.wmv")));
}

class FiltersMenuTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (gMedia.empty())
            MakeMedia();
    }
    FiltersMenuTest() {
        GstMediaOptions options;
        options.videoSink = "fakesink";
        options.audioSink = "fakesink";
        media = NewGstMediaFramework(options);
        record.UseMediaFramework(media.get());
    }
    ~FiltersMenuTest() override { record.CloseClip(); }

    void Open(const std::string& path) {
        record.ClipPath = path;
        record.OpenClip();
        ASSERT_EQ(record.ClipState, ClipState::Running) << path;
        ASSERT_EQ(BuildFiltersMenu(record.pGB, popup, table), S_OK);
    }

    // The value the filter's properties list for `name`.
    static std::string Value(const std::shared_ptr<IFilterProperties>& properties,
                             const std::string& name) {
        std::vector<FilterProperty> list;
        properties->GetProperties(&list);
        for (const FilterProperty& property : list)
            if (property.name == name)
                return property.value;
        return "(absent)";
    }
    std::shared_ptr<IFilterProperties> PropertiesOf(int id) {
        std::shared_ptr<IFilterProperties> properties;
        EXPECT_EQ(table.Find(id)->QueryFilterProperties(&properties), S_OK);
        return properties;
    }

    std::unique_ptr<MediaFramework> media;
    Host host;
    PlayerRecord record{host};
    RecordingPopup popup;
    FilterMenuTable table;
};

TEST_F(FiltersMenuTest, ListsTheFiltersAsTheDataReachesThem) {
    struct Row {
        const char* name;
        const char* clip;
        std::vector<std::string> items;
    } rows[] = {
        {"mp4 with sound: the source's insides, then ours; no SOURCE",
         "av.mp4",
         {"QuickTime demuxer", "H.264 parser",
          "libav H.264 / AVC / MPEG-4 AVC / MPEG-4 part 10 decoder", "AAC audio stream parser",
          "libav AAC (Advanced Audio Coding) decoder", "Color Space Converter",
          "Tavimo Subtitle Mixer", "Video Mixing Renderer 9", "Audio Renderer"}},
        {"sound only: the unreached renderer and mixer come last",
         "audio.mp4",
         {"QuickTime demuxer", "AAC audio stream parser",
          "libav AAC (Advanced Audio Coding) decoder", "Audio Renderer", "Video Mixing Renderer 9",
          "Tavimo Subtitle Mixer"}},
        {"two sound tracks: the same names twice, each with its own item",
         "two-sounds.mp4",
         {"QuickTime demuxer", "AAC audio stream parser",
          "libav AAC (Advanced Audio Coding) decoder", "AAC audio stream parser",
          "libav AAC (Advanced Audio Coding) decoder", "Audio Renderer", "Video Mixing Renderer 9",
          "Tavimo Subtitle Mixer"}},
        {"windows media: the ASF Reader is listed before what it holds",
         "clip.wmv",
         {"ASF Reader", "ASF Demuxer", "libav Windows Media Video 8 decoder",
          "libav Windows Media Audio 2 decoder", "Color Space Converter", "Tavimo Subtitle Mixer",
          "Video Mixing Renderer 9", "Audio Renderer"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Open(Media(row.clip));
        std::vector<std::string> names;
        for (size_t i = 0; i < popup.items.size(); ++i) {
            EXPECT_EQ(popup.items[i].first, 33000 + int(i));
            names.push_back(popup.items[i].second);
        }
        EXPECT_EQ(names, row.items);
        EXPECT_EQ(table.Count(), row.items.size());
        // The table finds the very filter each item names.
        std::string name;
        ASSERT_NE(table.Find(33001), nullptr);
        table.Find(33001)->QueryFilterInfo(&name);
        EXPECT_EQ(name, row.items[1]);
        EXPECT_EQ(table.Find(33000 + int(row.items.size())), nullptr);
    }
}

TEST_F(FiltersMenuTest, ItemsOfAReleasedGraphDoNothing) {
    Open(Media("av.mp4"));
    std::weak_ptr<IBaseFilter> renderer = table.Find(33007);
    ASSERT_FALSE(renderer.expired());

    // A dialog left open while its graph goes applies nothing on OK.
    auto properties = PropertiesOf(33007);
    FilterPropertiesDialog dialog(properties, "Video Mixing Renderer 9", table.Graph());
    record.CloseClip();
    EXPECT_TRUE(renderer.expired());
    EXPECT_EQ(table.Find(33007), nullptr);
    qobject_cast<QLineEdit*>(dialog.Editor("num-buffers"))->setText("7");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Value(properties, "num-buffers"), "-1");

    // Choosing a stale item shows no dialog.
    bool shown = false;
    QTimer::singleShot(200, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            shown = true;
            modal->close();
        }
    });
    for (int id = 33000; id <= 33008; ++id)
        EXPECT_EQ(ShowFilterProperties(table, id, nullptr), 0);
    QApplication::processEvents();
    EXPECT_FALSE(shown);
}

TEST_F(FiltersMenuTest, DialogAppliesSimpleWritablePropertiesOnOk) {
    Open(Media("av.mp4"));
    constexpr int kDecoder = 33002, kConverter = 33005, kRenderer = 33007;  // a fakesink here
    struct Edit {
        const char* property;
        const char* text;  // into a line edit; "true"/"false" for a box, a nick for a list
        const char* after;
    };
    struct Row {
        const char* name;
        int filter;
        std::vector<Edit> edits;
        bool closes;
    } rows[] = {
        {"int, uint, int64, bool applied",
         kRenderer,
         {{"num-buffers", "12", "12"},
          {"blocksize", "8192", "8192"},
          {"ts-offset", "-5000", "-5000"},
          {"signal-handoffs", "true", "true"}},
         true},
        {"an enum applied", kDecoder, {{"skip-frame", "Skip B-frames", "Skip B-frames"}}, true},
        {"double and enum applied",
         kConverter,
         {{"alpha-value", "0.5", "0.5"}, {"dither", "none", "none"}},
         true},
        {"below the minimum: nothing applied, the dialog stays",
         kRenderer,
         {{"num-buffers", "-2", "12"}, {"blocksize", "100", "8192"}},
         false},
        {"not a number", kRenderer, {{"ts-offset", "5 ms", "-5000"}}, false},
        {"an unsigned number takes no sign", kRenderer, {{"blocksize", "-1", "8192"}}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FilterPropertiesDialog dialog(PropertiesOf(row.filter), "title", table.Graph());
        for (const Edit& edit : row.edits) {
            QWidget* editor = dialog.Editor(edit.property);
            ASSERT_NE(editor, nullptr) << edit.property;
            if (auto* box = qobject_cast<QCheckBox*>(editor))
                box->setChecked(std::string(edit.text) == "true");
            else if (auto* combo = qobject_cast<QComboBox*>(editor))
                combo->setCurrentText(edit.text);
            else
                qobject_cast<QLineEdit*>(editor)->setText(edit.text);
        }
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, row.closes);
        for (const Edit& edit : row.edits)
            EXPECT_EQ(Value(PropertiesOf(row.filter), edit.property), edit.after) << edit.property;
    }

    // Read-only: the element's name and parent, what it last saw, types
    // without an editor; each keeps its description as a tooltip.
    FilterPropertiesDialog dialog(PropertiesOf(kRenderer), "Video Mixing Renderer 9",
                                  table.Graph());
    for (const char* name : {"name", "parent", "last-message", "last-sample", "render-delay"}) {
        EXPECT_EQ(dialog.Editor(name), nullptr) << name;
        EXPECT_NE(dialog.Field(name), nullptr) << name;
    }
    EXPECT_EQ(dialog.Field("sync")->toolTip(), "Sync on the clock");
}

}  // namespace
}  // namespace tavimo

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    int rc;
    {
        QApplication app(argc, argv);
        rc = RUN_ALL_TESTS();
    }
    std::error_code ec;
    if (!tavimo::gMedia.empty())
        std::filesystem::remove_all(tavimo::gMedia, ec);
    return rc;
}
