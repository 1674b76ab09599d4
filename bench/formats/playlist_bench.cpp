// Times the playlist formats on a catalogue of 100,000 videos in 1,000 categories two levels
// deep, with Chinese names and an image for each video:
//   write   the catalogue as M3U8 and as CSV, in memory
//   read    each of those texts back into entries
// File reading and writing and the database are left out: this is the formats' share of an
// import or export.
//
//   orvalen-playlist-bench [videos [rounds]]
//
// Prints each measurement's median and range over the rounds, in milliseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "formats/playlist_reader.h"
#include "formats/playlist_writer.h"

namespace {

using orvalen::formats::CategoryPath;
using orvalen::formats::PlaylistFormat;

constexpr int kCategories = 1000;

struct Video {
  std::string name, url, image;
};

struct Catalogue {
  std::vector<CategoryPath> paths;
  std::vector<std::vector<Video>> videos;  // parallel to paths
};

Catalogue makeCatalogue(int videoCount) {
  Catalogue catalogue;
  for (int c = 0; c < kCategories; ++c) {
    catalogue.paths.push_back(
        {"频道 " + std::to_string(c / 50), "节目, 第" + std::to_string(c) + "组"});
  }
  catalogue.videos.resize(kCategories);
  for (int v = 0; v < videoCount; ++v) {
    const std::string n = std::to_string(v);
    catalogue.videos[v % kCategories].push_back(
        {"视频 \"" + n + "\" 高清", "http://media.example.invalid/videos/" + n + "/index.m3u8",
         "http://media.example.invalid/images/" + n + ".jpg"});
  }
  return catalogue;
}

std::string write(const Catalogue& catalogue, PlaylistFormat format) {
  std::string text;
  const auto writer = format == PlaylistFormat::kCsv
                          ? orvalen::formats::makeCsvWriter(&text, {"name", "url", "image", "path"})
                          : orvalen::formats::makeM3uWriter(&text);
  for (size_t c = 0; c < catalogue.paths.size(); ++c) {
    writer->beginCategory(catalogue.paths[c]);
    for (const Video& video : catalogue.videos[c])
      writer->addVideo({video.name, video.url, video.image});
  }
  writer->finish();
  return text;
}

size_t read(const std::string& text, PlaylistFormat format) {
  orvalen::formats::PlaylistReader reader(format, text,
                                          [](std::string_view, std::string*) { return false; });
  orvalen::formats::PlaylistEntry entry;
  size_t videos = 0;
  while (reader.next(&entry)) videos += entry.canBeTaken() && !entry.categoryOnly;
  return videos;
}

double millisecondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

void report(const char* what, std::vector<double> times) {
  std::sort(times.begin(), times.end());
  std::printf("%-12s median %8.1f ms   range %8.1f .. %8.1f ms\n", what, times[times.size() / 2],
              times.front(), times.back());
}

}  // namespace

int main(int argc, char** argv) {
  const int videoCount = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 9;
  const Catalogue catalogue = makeCatalogue(videoCount);
  std::printf("%d videos in %d categories, %d rounds\n", videoCount, kCategories, rounds);
  for (const PlaylistFormat format : {PlaylistFormat::kM3u, PlaylistFormat::kCsv}) {
    const char* name = format == PlaylistFormat::kCsv ? "CSV" : "M3U8";
    std::vector<double> writes, reads;
    std::string text;
    for (int round = 0; round < rounds; ++round) {
      writes.push_back(millisecondsOf([&] { text = write(catalogue, format); }));
      size_t videos = 0;
      reads.push_back(millisecondsOf([&] { videos = read(text, format); }));
      if (videos != static_cast<size_t>(videoCount)) {
        std::fprintf(stderr, "%s: read back %zu videos of %d\n", name, videos, videoCount);
        return 1;
      }
    }
    std::printf("%s: %.1f MB\n", name, text.size() / 1e6);
    report("  write", writes);
    report("  read", reads);
  }
  return 0;
}
