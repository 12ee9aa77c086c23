// The player's rules that need no window and no pipeline, as tables.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringEncoder>

#include "platform/registry/Registry.h"
#include "platform/text/AnsiText.h"
#include "player/core/Bookmarks.h"
#include "player/core/CommandLine.h"
#include "player/core/MovieFiles.h"
#include "player/core/PlayerKeys.h"
#include "player/core/CaptionKeys.h"
#include "player/core/PlayerOptions.h"
#include "player/core/Playlist.h"
#include "player/core/TimeText.h"
#include "player/core/TransportKeys.h"
#include "player/core/VideoGeometry.h"
#include "player/core/VolumeCurve.h"
#include "player/engine/RenderResult.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestPaths.h"

using namespace lumi::player;
using lumi::registry::Key;
using lumi::registry::Root;

namespace {

const QString kPlayerKey = QStringLiteral("Software\\Quelmar\\Lumicaster\\Cinevane");

void touch(const QString& path, const QByteArray& bytes = "x") {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

}  // namespace

TEST(CommandLine, FormsInTheirOrder) {
  using K = StartRequest::Kind;
  const struct {
    QString argument;
    K kind;
    QString path;
    bool resumable;
  } cases[] = {
      {"", K::None, "", false},
      {"dvd:///media/disc/", K::Dvd, "/media/disc/VIDEO_TS", false},
      {"DVD://x", K::Dvd, "x/VIDEO_TS", false},  // a root without its separator gets one
      {"vcd:///media/vcd", K::VideoCd, "/media/vcd", false},
      {"Vcd://r/", K::VideoCd, "r/", false},
      {"mmsh://127.0.0.1:8080/x.wmv", K::Stream, "mmsh://127.0.0.1:8080/x.wmv", false},
      {"MMSx", K::Stream, "MMSx", false},
      {"lst:///tmp/MoviePlaylist.txt", K::Playlist, "/tmp/MoviePlaylist.txt", true},
      {"LST://a b.txt", K::Playlist, "a b.txt", true},
      {"/movies/a.avi", K::File, "/movies/a.avi", true},
      {"-Embedding", K::File, "-Embedding", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argument.toStdString());
    const StartRequest r = ParseCommandLine(c.argument);
    EXPECT_EQ(r.kind, c.kind);
    EXPECT_EQ(r.path, c.path);
    EXPECT_EQ(r.resumable(), c.resumable);
  }
}

TEST(VolumeCurve, AttenuationTable) {
  const std::pair<int, int> cases[] = {{-5, -10000}, {0, -10000}, {1, -9816}, {5, -9076}, {25, -5376},
                                       {49, -936},   {50, -751},   {51, -736}, {55, -676}, {99, -16},
                                       {100, -1},    {105, -1}};
  for (auto [volume, attenuation] : cases) EXPECT_EQ(AttenuationForVolume(volume), attenuation) << volume;
  EXPECT_NEAR(LinearVolume(AttenuationForVolume(50)), 0.42121, 0.00001);
  EXPECT_EQ(LinearVolume(kSilence), 0.0);
}

TEST(VolumeCurve, ColourCurve) {
  const struct {
    int setting, def, max, value;
  } cases[] = {{50, 5000, 10000, 4999}, {0, 5000, 10000, 0},   {100, 5000, 10000, 9999},
               {75, 5000, 10000, 7499}, {50, 10000, 20000, 9999}, {-3, 5000, 10000, 0}};
  for (const auto& c : cases) EXPECT_EQ(ColorControlValue(c.setting, c.def, c.max), c.value) << c.setting;
  // Xv's -1000..1000 around 0 maps onto the curve's middle and back.
  EXPECT_EQ(ToCurveRange(0, -1000, 1000, 10000), 5000);
  EXPECT_EQ(FromCurveRange(5000, -1000, 1000, 10000), 0);
  EXPECT_EQ(ToCurveRange(5, 5, 5, 10000), 0);  // an empty range never divides by zero
}

TEST(TimeText, Texts) {
  EXPECT_EQ(ElapsedText("재생 시간   %d시%02d분%02d초/%d시%02d분%02d초", 3725, 7322), "재생 시간   1시02분05초/2시02분02초");
  EXPECT_EQ(RemainingText("남은 시간   %02d시간%02d분%02d초", 3725, 7322), "남은 시간   00시간59분57초");
  EXPECT_EQ(BarTimeText(3725, 7322), "01:02:05/02:02:02");
  // Past the end, or with no known duration, nothing is left rather than a negative time.
  EXPECT_EQ(RemainingText("%02d시간%02d분%02d초", 30, 0), "00시간00분00초");
  EXPECT_EQ(BarTimeText(0, 0), "00:00:00/00:00:00");
  EXPECT_EQ(ClockText("현재 시간   %H시%M분%S초", QTime(7, 5, 9)), "현재 시간   07시05분09초");
}

TEST(MovieFiles, FileTypeByFirstBytes) {
  const std::pair<QByteArray, QString> cases[] = {
      {QByteArray::fromHex("000001BA4400"), "VOB"},        {QByteArray::fromHex("000001BA440001"), "VOB"},
      {QByteArray("RIFF\x10\0\0\0AVI ", 12), "AVI"},      {QByteArray::fromHex("000001BA210001"), "MPG"},
      {QByteArray::fromHex("000001BA2100"), ""},            {QByteArray::fromHex("3026B2758E66CF11"), "WMV"},
      {QByteArray("ID3\x04"), ""},                          {QByteArray(), ""}};
  for (const auto& [head, type] : cases) EXPECT_EQ(FileTypeOfHead(head), type) << head.toHex().constData();
  bool opened = true;
  EXPECT_EQ(FileTypeOf("/nonexistent/movie.avi", &opened), "");
  EXPECT_FALSE(opened);
}

TEST(MovieFiles, CaptionAndBookmarkNames) {
  const std::pair<QString, QString> cases[] = {{"/m/a.avi", "/m/a.smi"},
                                               {"/m/dir.v2/movie", "/m/dir.v2/movie.smi"},
                                               {"/m/a.b.mpg", "/m/a.b.smi"},
                                               {"movie", "movie.smi"}};
  for (const auto& [movie, caption] : cases) EXPECT_EQ(CaptionPathFor(movie), caption);
  EXPECT_EQ(BookmarkName("/m/dir/Movie One.avi"), "Movie One.avi");

  lumi::test::PrivateEnvironment env;
  touch(env.file("m/a.avi"));
  touch(env.file("m/a.SMI"));
  EXPECT_EQ(FindCaptionFile(env.file("m/a.avi")), env.file("m/a.SMI"));
  EXPECT_EQ(FindCaptionFile(env.file("m/b.avi")), "");
  EXPECT_TRUE(MovieFileExists(env.file("m/a.avi")));
  EXPECT_FALSE(MovieFileExists(env.file("m")));  // a folder is not a movie
  EXPECT_FALSE(MovieFileExists(env.file("m/") + QString(5000, u'x')));
}

TEST(VideoGeometry, ReducedRatioIsTheLiteralRule) {
  const struct {
    QSize picture, user, ratio;
  } cases[] = {{{720, 480}, {}, {15, 10}},   {{640, 480}, {}, {20, 15}},       {{1920, 1080}, {}, {80, 45}},
               {{640, 480}, {16, 9}, {16, 9}}, {{640, 480}, {16, 0}, {20, 15}}, {{0, 0}, {}, {0, 0}},
               {{0, 480}, {}, {0, 480}}};
  for (const auto& c : cases) EXPECT_EQ(ReducedRatio(c.picture, c.user), c.ratio) << c.picture.width();
}

TEST(VideoGeometry, FullScreenPlacement) {
  EXPECT_EQ(FullScreenVideoRect({1024, 768}, {640, 360}), QRect(0, 96, 1024, 576));
  EXPECT_EQ(FullScreenVideoRect({1024, 768}, {320, 240}), QRect(0, 0, 1024, 768));
  EXPECT_EQ(FullScreenVideoRect({1024, 768}, {0, 0}), QRect());  // sound only: no picture to place
}

TEST(Playlist, FileFormat) {
  QByteArray cp949 = QStringEncoder(lumi::text::KoreanCodecName()).encode(QStringLiteral("/영화/첫째.avi"));
  const QByteArray file = "  /m/a.avi\r\n\n  \r\n" + cp949 + "\n/m/trailing space.avi  \n" + QByteArray(5000, 'y') +
                          "\n\n";
  const QStringList entries = ParsePlaylist(file);
  ASSERT_EQ(entries.size(), 4);
  EXPECT_EQ(entries[0], "/m/a.avi");
  EXPECT_EQ(entries[1], "/영화/첫째.avi");
  EXPECT_EQ(entries[2], "/m/trailing space.avi  ");
  EXPECT_EQ(entries[3], QString(5000, u'y'));  // a long line stays one entry

  lumi::test::PrivateEnvironment env;
  QStringList out;
  EXPECT_EQ(LoadPlaylistFile(env.file("none.txt"), out), PlaylistRead::CannotOpen);
  touch(env.file("empty.txt"), "  \n\n");
  EXPECT_EQ(LoadPlaylistFile(env.file("empty.txt"), out), PlaylistRead::Empty);
}

TEST(Playlist, VideoCdTracksSortedByName) {
  lumi::test::PrivateEnvironment env;
  for (const char* name : {"MPEGAV/AVSEQ02.DAT", "MPEGAV/avseq03.dat", "MPEGAV/AVSEQ01.DAT", "MPEGAV/NOTES.TXT"})
    touch(env.file(name));
  QDir().mkpath(env.file("MPEGAV/X.DAT"));
  EXPECT_EQ(ListVcdTracks(env.path()), (QStringList{env.file("MPEGAV/AVSEQ01.DAT"), env.file("MPEGAV/AVSEQ02.DAT"),
                                                    env.file("MPEGAV/avseq03.dat")}));
  EXPECT_TRUE(ListVcdTracks(env.file("nothing")).isEmpty());

  Playlist list;
  list.assign({"a", "b", "c"});
  EXPECT_FALSE(list.previous());
  EXPECT_TRUE(list.next());
  EXPECT_TRUE(list.next());
  EXPECT_FALSE(list.next());
  EXPECT_EQ(list.current(), "c");
}

TEST(Bookmarks, SavedReadAndRemoved) {
  lumi::test::PrivateEnvironment env;
  Bookmarks marks(kPlayerKey);
  const std::int64_t s = 10000000;
  marks.save("/m/a.avi", 125 * s + s / 2, 600 * s);
  EXPECT_EQ(marks.read("/other/a.avi"), 125u);  // kept by file name only
  marks.save("/m/a.avi", 0, 600 * s);           // position 0 leaves the point alone
  EXPECT_EQ(marks.read("/m/a.avi"), 125u);
  marks.save("/m/a.avi", 600 * s, 600 * s);     // played to the end
  EXPECT_FALSE(Key::open(Root::CurrentUser, kPlayerKey + "\\Bookmark").valueNames().contains("a.avi"));
  EXPECT_EQ(marks.read("/m/a.avi"), 0u);
}

TEST(PlayerOptions, DefaultsAndSave) {
  lumi::test::PrivateEnvironment env;
  PlayerOptions options;
  options.LoadOptions(kPlayerKey);
  EXPECT_EQ(options.nVolume, 50);
  EXPECT_EQ(options.nVGAAccelLevel, 3);
  options.nVolume = 55;
  options.nContrast = -1;
  options.SaveOptions(kPlayerKey);
  const Key key = Key::open(Root::CurrentUser, kPlayerKey);
  quint32 v = 0;
  ASSERT_TRUE(key.readDWord("nVolume", v));
  EXPECT_EQ(v, 55u);
  EXPECT_FALSE(key.readDWord("nContrast", v));  // a negative colour setting is not written
  EXPECT_EQ(key.valueNames().first(), "bEnableBookmark");
}

TEST(RenderResult, Reactions) {
  using K = RenderReaction::Kind;
  const struct {
    HRESULT result;
    bool video;
    QString type, path;
    RenderReaction reaction;
  } cases[] = {
      {lumi::com::S_OK, true, "", "a.mp3", {K::Continue}},
      {VFW_S_PARTIAL_RENDER, false, "AVI", "a.avi", {K::AskVideoCodec}},
      {VFW_S_PARTIAL_RENDER, true, "AVI", "a.avi", {K::AskAudioCodec}},
      {VFW_S_PARTIAL_RENDER, true, "", "a.xyz", {K::Quit, 284, 285}},
      {VFW_S_VIDEO_NOT_RENDERED, false, "MPG", "a.mpg", {K::AskVideoCodec}},
      {VFW_S_AUDIO_NOT_RENDERED, true, "WMV", "a.wmv", {K::NoSound, 287, 288}},
      {VFW_E_NOT_FOUND, false, "VOB", "a.mpg", {K::NamedBox, 0, 0, "VFW_E_NOT_FOUND"}},
      {lumi::com::E_FAIL, false, "AVI", "a.avi", {K::UnknownError}},
      {VFW_E_UNSUPPORTED_STREAM, false, "AVI", "a.avi", {K::Quit, 293, 294}},
      {VFW_E_NO_ACCEPTABLE_TYPES, false, "AVI", "a.AVI", {K::AskBothCodecs}},
      {VFW_E_NO_ACCEPTABLE_TYPES, false, "MPG", "a.mpg", {K::Quit, 293, 295}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    EXPECT_TRUE(ReactionToRender(c.result, c.video, c.type, c.path) == c.reaction);
  }
  EXPECT_EQ(CodecNamesFor("VOB").videoName, "MPEG2 Video Decoder");
  EXPECT_EQ(CodecNamesFor("AVI", "ZZ Z1", 4660).videoTag, "ZZZ1");
}

TEST(PlayerKeys, WhatEachCodeDoes) {
  using A = KeyAction;
  const struct {
    int code;
    A plain, popup, osd;
  } cases[] = {
      {0, A::StopAndClose, A::StopAndClose, A::StopAndClose},
      {12, A::ToggleOsd, A::ToggleOsd, A::ToggleOsd},
      {13, A::InfoDisplay, A::ForwardToPopup, A::OsdSelect},
      {14, A::ExitToShell, A::ForwardToPopup, A::OsdBack},
      {15, A::VolumeUp, A::VolumeUp, A::OsdUp},
      {16, A::VolumeDown, A::VolumeDown, A::OsdDown},
      {17, A::SeekBack, A::ForwardToPopup, A::OsdLeft},
      {18, A::SeekForward, A::ForwardToPopup, A::OsdRight},
      {24, A::Rewind, A::ForwardToPopup, A::Rewind},
      {25, A::PlayPause, A::PlayPause, A::PlayPause},
      {26, A::PauseResume, A::PauseResume, A::PauseResume},
      {27, A::Stop, A::Stop, A::Stop},
      {28, A::FastForward, A::ForwardToPopup, A::FastForward},
      {31, A::VolumeUp, A::VolumeUp, A::VolumeUp},
      {32, A::VolumeDown, A::VolumeDown, A::VolumeDown},
      {33, A::Previous, A::Previous, A::Previous},
      {34, A::Next, A::Next, A::Next},
      {35, A::Mute, A::Mute, A::Mute},
      {37, A::ControlBar, A::ControlBar, A::ControlBar},
      {1, A::Ignore, A::Ignore, A::Ignore},
      {19, A::Ignore, A::Ignore, A::Ignore},
      {38, A::Ignore, A::Ignore, A::Ignore},
      {99, A::Ignore, A::Ignore, A::Ignore},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ActionForKey(c.code, false, false), c.plain) << c.code;
    EXPECT_EQ(ActionForKey(c.code, true, false), c.popup) << c.code;
    EXPECT_EQ(ActionForKey(c.code, false, true), c.osd) << c.code;
  }
}

TEST(TransportKeys, GapsAndHolds) {
  TransportKeys keys;
  const struct {
    std::int64_t at;
    bool fresh;
  } presses[] = {{0, true}, {300, false}, {799, false}, {1298, false}, {1798, true}, {2297, false}, {2800, true}};
  for (const auto& p : presses) EXPECT_EQ(keys.press(p.at), p.fresh) << p.at;
  EXPECT_FALSE(keys.holdEnded(3799));
  EXPECT_TRUE(keys.holdEnded(3801));
}

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

TEST(CaptionKeys, TheCaptionAcceleratorsAndNothingElse) {
  struct Case {
    int key;
    bool ctrl, alt, shift;
    int command;
  } cases[] = {
      {Qt::Key_Insert, true, false, false, 32871},   {Qt::Key_Delete, true, false, false, 32872},
      {Qt::Key_End, true, false, false, 32873},      {Qt::Key_Home, true, false, false, 32874},
      {Qt::Key_G, true, false, false, 32875},        {Qt::Key_PageUp, true, false, false, 32772},
      {Qt::Key_PageDown, true, false, false, 32773}, {Qt::Key_Up, true, false, false, 32801},
      {Qt::Key_Down, true, false, false, 32803},     {Qt::Key_H, false, true, false, 32807},
      // Without Ctrl these keys are transport keys, not caption commands.
      {Qt::Key_PageUp, false, false, false, 0},      {Qt::Key_End, false, false, false, 0},
      {Qt::Key_Up, false, true, false, 0},           {Qt::Key_H, false, false, false, 0},
      {Qt::Key_H, true, true, false, 0},             {Qt::Key_Insert, true, false, true, 0},
      {Qt::Key_Left, true, false, false, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(lumi::player::CaptionCommandForKey(c.key, c.ctrl, c.alt, c.shift), c.command) << c.key;
}
