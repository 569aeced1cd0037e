#include "tracks/TagReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>

#include "media/AudioFixtures.h"
#include "support/MediaMutator.h"

namespace {

bool makeTone(const std::string& path) {
  const std::vector<fixtures::Segment> tone = {{440, 2.0}};
  if (!path.ends_with(".mp3") && !path.ends_with(".wma")) {
    fixtures::writeWav(path + ".wav", tone);
    const std::string cmd = "ffmpeg -v error -y -i '" + path + ".wav' '" + path + "'";
    return std::system(cmd.c_str()) == 0;
  }
  return fixtures::writeEncoded(path, tone);
}

TEST(TagReaderTest, ReadsWhatTagLibWroteAndRefusesWhatIsNoAudioFile) {
  fixtures::TempDir dir;
  // ID3v2, FLAC comments, ASF, ID3v1, MP4 atoms, Vorbis comments in Ogg and Opus, APE.
  for (const char* name :
       {"a.mp3", "b.flac", "c.wma", "d-id3v1.mp3", "e.m4a", "f.ogg", "g.opus", "h-ape.mp3"}) {
    SCOPED_TRACE(name);
    const std::string path = dir.file(name);
    ASSERT_TRUE(makeTone(path));
    const bool id3v1 = std::string(name).find("id3v1") != std::string::npos;
    const bool ape = std::string(name).find("ape") != std::string::npos;
    {
      TagLib::FileRef ref(path.c_str());
      ASSERT_FALSE(ref.isNull());
      auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(ref.file());
      if (ape) mpeg->APETag(true);  // made first, so that the setters below fill it
      TagLib::Tag* tag = ref.tag();
      tag->setComment(std::string(20000, 'c'));  // the tags run past the first reads
      tag->setArtist(TagLib::String(id3v1 ? "Artist" : "Søren Å", TagLib::String::UTF8));
      tag->setTitle("Title");
      tag->setAlbum("Album");
      tag->setGenre("Jazz");
      tag->setYear(1987);
      tag->setTrack(12);
      // Beside the APE tag an ID3v1 tag that says otherwise: the APE tag goes first.
      if (ape) mpeg->ID3v1Tag(true)->setArtist("Other");
      if (id3v1 || ape)
        ASSERT_TRUE(mpeg->save(id3v1 ? TagLib::MPEG::File::ID3v1
                                     : TagLib::MPEG::File::APE | TagLib::MPEG::File::ID3v1));
      else
        ASSERT_TRUE(ref.save());
    }
    tracks::Tags tags;
    std::int64_t ms = 0;
    ASSERT_TRUE(tracks::readTags(path, tags, ms));
    EXPECT_EQ(tags.artist, id3v1 ? "Artist" : "Søren Å");
    EXPECT_EQ(std::tie(tags.title, tags.album, tags.genre, tags.year, tags.trackNo),
              std::make_tuple("Title", "Album", "Jazz", 1987, 12));
    EXPECT_NEAR(ms, 2000, 100);
  }
  // Damaged copies of the tagged files read without a crash (the sanitizers watch), and give
  // what TagLib reading the file by itself gives: the reader's cached pages and its own join
  // of a file's several tags change nothing.
  fixtures::MediaMutator mutator(7);
  for (const char* name :
       {"a.mp3", "b.flac", "c.wma", "d-id3v1.mp3", "e.m4a", "f.ogg", "h-ape.mp3"})
    for (int i = 0; i < 60; ++i) {
      std::string what;
      const auto file = fixtures::readBytes(dir.file(name));
      const std::string bad = dir.file(std::string("bad-") + name);
      fixtures::writeBytes(bad, mutator.mutate(file, fixtures::Mutation(i % 9), what));
      tracks::Tags tags;
      std::int64_t ms = 0;
      const bool ok = tracks::readTags(bad, tags, ms);
      const TagLib::FileRef ref(bad.c_str());
      if (!ok || ref.isNull() || !ref.tag()) continue;
      const TagLib::Tag& t = *ref.tag();
      EXPECT_EQ(std::tie(tags.artist, tags.title, tags.album, tags.genre),
                std::make_tuple(t.artist().to8Bit(true), t.title().to8Bit(true),
                                t.album().to8Bit(true), t.genre().to8Bit(true)))
          << name << ": " << what;
      EXPECT_EQ(std::tie(tags.year, tags.trackNo),
                std::make_tuple(t.year() <= 9999 ? int(t.year()) : 0,
                                t.track() <= 99999 ? int(t.track()) : 0))
          << name << ": " << what;
    }
  fixtures::writeRandom(dir.file("noise.mp3"), 100000);
  ASSERT_EQ(mkfifo(dir.file("fifo.mp3").c_str(), 0600), 0);  // an open would wait forever
  for (const std::string& bad :
       {dir.file("noise.mp3"), dir.file("missing.mp3"), dir.path(), dir.file("fifo.mp3")}) {
    tracks::Tags tags{"stale", "", "", "", 1, 1};
    std::int64_t ms = 5;
    EXPECT_FALSE(tracks::readTags(bad, tags, ms)) << bad;
    EXPECT_EQ(std::tie(tags.artist, tags.year, ms), std::make_tuple("", 0, 0)) << bad;
  }
}

}  // namespace
