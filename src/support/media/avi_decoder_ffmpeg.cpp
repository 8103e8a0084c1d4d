// The FFmpeg side of AVI reading, built as a module of its own (see avi_module.h): the first
// video stream of an AVI file, decoded frame by frame whatever codec it uses. Only the AVI
// demuxer and local files are used, so a crafted file cannot make it open anything else.
#include "support/media/avi_module.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include "support/media/media_error.h"

namespace celwright {

namespace {

constexpr char kOpenFileFailed[] = "Failed to open AVI file";
constexpr char kOpenStreamFailed[] = "Failed to open AVI stream";
constexpr char kFormatFailed[] = "Failed to get AVI stream format";
constexpr char kDecompressionFailed[] = "Failed to start AVI decompression";
constexpr char kFrameFailed[] = "Failed to decompress AVI frame";

// Frames larger than this are refused before any picture is allocated: a damaged header must
// not make us reserve gigabytes.
constexpr int kMaxSide = 16384;
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 24;  // 4096 x 4096

bool SizeIsUsable(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
         std::int64_t{width} * height <= kMaxPixels;
}

std::string LibraryReason(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return text;
}

// No single allocation inside FFmpeg may exceed this: sizes read from a damaged header would
// otherwise reserve gigabytes before the file is refused. The largest frame we accept
// (4096 x 4096 at four bytes a pixel, plus padding) still fits.
constexpr std::size_t kMaxLibraryAllocation = std::size_t{96} << 20;
// How much of the file the demuxer may read before it has to know the streams.
constexpr char kProbeBytes[] = "1048576";

void PrepareLibrary() {
  // Damaged files make FFmpeg report every problem on stderr; we report failures ourselves.
  static std::once_flag once;
  std::call_once(once, [] {
    av_log_set_level(AV_LOG_FATAL);
    av_max_alloc(kMaxLibraryAllocation);
  });
}

struct PacketDeleter {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameDeleter {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};

}  // namespace

struct DecoderState {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  SwsContext* scaler = nullptr;
  std::unique_ptr<AVPacket, PacketDeleter> packet{av_packet_alloc()};
  std::unique_ptr<AVFrame, FrameDeleter> decoded{av_frame_alloc()};
  int stream_index = -1;
  bool seen_first_packet = false;
  bool input_done = false;
  bool decoder_drained = false;
  std::deque<AviModuleFrame> ready;
  // The demuxer attaches the stream palette to the first packet only; when that packet is an
  // empty sample we skip, the palette must travel on to the next one.
  std::vector<std::uint8_t> pending_palette;

  ~DecoderState() {
    sws_freeContext(scaler);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
  }

  void Open(const char* path) {
    PrepareLibrary();
    if (!packet || !decoded) throw MediaError(kOpenFileFailed);
    const AVInputFormat* avi = av_find_input_format("avi");
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "probesize", kProbeBytes, 0);
    av_dict_set(&options, "formatprobesize", kProbeBytes, 0);
    const std::string url = std::string("file:") + path;
    const int opened = avformat_open_input(&format, url.c_str(), avi, &options);
    av_dict_free(&options);
    if (opened < 0) throw MediaError(std::string(kOpenFileFailed) + ": " + LibraryReason(opened));

    for (unsigned i = 0; i < format->nb_streams; ++i) {
      const AVStream* stream = format->streams[i];
      if (stream && stream->codecpar && stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
        stream_index = static_cast<int>(i);
        break;
      }
    }
    if (stream_index < 0) throw MediaError(kOpenStreamFailed);
    const AVCodecParameters* parameters = format->streams[stream_index]->codecpar;
    if (!SizeIsUsable(parameters->width, parameters->height)) throw MediaError(kFormatFailed);

    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    if (!decoder) throw MediaError(kDecompressionFailed);
    codec = avcodec_alloc_context3(decoder);
    if (!codec || avcodec_parameters_to_context(codec, parameters) < 0) {
      throw MediaError(kDecompressionFailed);
    }
    codec->thread_count = 1;
    if (avcodec_open2(codec, decoder, nullptr) < 0) throw MediaError(kDecompressionFailed);
  }

  void CarryPalette() {
    std::size_t size = 0;
    const std::uint8_t* data = av_packet_get_side_data(packet.get(), AV_PKT_DATA_PALETTE, &size);
    if (data && size > 0) {
      if (packet->size == 0) pending_palette.assign(data, data + size);
      return;
    }
    if (pending_palette.empty() || packet->size == 0) return;
    std::uint8_t* copy =
        av_packet_new_side_data(packet.get(), AV_PKT_DATA_PALETTE, pending_palette.size());
    if (!copy) throw MediaError(kFrameFailed);
    std::copy(pending_palette.begin(), pending_palette.end(), copy);
    pending_palette.clear();
  }

  // An empty sample 0 shows up either as a zero-size first packet or, when the demuxer drops
  // empty index entries, as a stream whose first packet is sample 1.
  void NoteFirstPacket() {
    if (seen_first_packet) return;
    seen_first_packet = true;
    const std::int64_t first = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (packet->size == 0 ? (first == 0 || first == AV_NOPTS_VALUE) : first == 1) {
      AviModuleFrame placeholder;
      placeholder.is_placeholder = true;
      ready.push_back(std::move(placeholder));
    }
  }

  void ConvertDecoded() {
    AVFrame* frame = decoded.get();
    if (!SizeIsUsable(frame->width, frame->height) || frame->format < 0) {
      throw MediaError(kFrameFailed);
    }
    AviModuleFrame result;
    result.sample =
        frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
    result.width = frame->width;
    result.height = frame->height;
    const std::size_t width = static_cast<std::size_t>(frame->width);
    if (frame->format == AV_PIX_FMT_PAL8 && frame->data[1]) {
      // Paletted streams keep their indices, so frames that went out with a document's palette
      // come back with the same indices even where two entries share a colour.
      result.paletted = true;
      for (int i = 0; i < 256; ++i) {
        std::uint32_t argb = 0;
        std::memcpy(&argb, frame->data[1] + 4 * i, 4);
        result.palette[3 * i] = static_cast<std::uint8_t>(argb >> 16);
        result.palette[3 * i + 1] = static_cast<std::uint8_t>(argb >> 8);
        result.palette[3 * i + 2] = static_cast<std::uint8_t>(argb);
      }
      result.pixels.resize(width * frame->height);
      for (int y = 0; y < frame->height; ++y) {
        std::memcpy(result.pixels.data() + width * y,
                    frame->data[0] + std::ptrdiff_t{y} * frame->linesize[0], width);
      }
      ready.push_back(std::move(result));
      return;
    }
    scaler = sws_getCachedContext(
        scaler, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
        frame->width, frame->height, AV_PIX_FMT_BGR24,
        SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
    if (!scaler) throw MediaError(kFrameFailed);
    result.pixels.resize(3 * width * frame->height);
    std::uint8_t* destination[4] = {result.pixels.data(), nullptr, nullptr, nullptr};
    const int destination_stride[4] = {frame->width * 3, 0, 0, 0};
    if (sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, destination,
                  destination_stride) != frame->height) {
      throw MediaError(kFrameFailed);
    }
    ready.push_back(std::move(result));
  }

  void ReceiveFrames() {
    for (;;) {
      const int received = avcodec_receive_frame(codec, decoded.get());
      if (received == AVERROR(EAGAIN)) return;
      if (received == AVERROR_EOF) {
        decoder_drained = true;
        return;
      }
      if (received < 0) throw MediaError(kFrameFailed);
      ConvertDecoded();
      av_frame_unref(decoded.get());
    }
  }

  // Feeds packets until at least one picture is ready or everything is decoded.
  void Advance() {
    while (ready.empty() && !decoder_drained) {
      if (input_done) {
        ReceiveFrames();
        continue;
      }
      const int read = av_read_frame(format, packet.get());
      if (read < 0) {
        // The end of a truncated file looks like an ordinary end: keep what decoded so far.
        input_done = true;
        if (avcodec_send_packet(codec, nullptr) < 0) throw MediaError(kFrameFailed);
        continue;
      }
      if (packet->stream_index == stream_index) {
        NoteFirstPacket();
        CarryPalette();
        if (packet->size > 0) {
          int sent = avcodec_send_packet(codec, packet.get());
          if (sent == AVERROR(EAGAIN)) {
            ReceiveFrames();
            sent = avcodec_send_packet(codec, packet.get());
          }
          if (sent < 0) {
            av_packet_unref(packet.get());
            throw MediaError(kFrameFailed);
          }
        }
      }
      av_packet_unref(packet.get());
      ReceiveFrames();
    }
  }
};

class FfmpegAviDecoder final : public AviModuleDecoder {
 public:
  explicit FfmpegAviDecoder(const char* path) { state_.Open(path); }
  int Width() const override { return state_.codec->width; }
  int Height() const override { return state_.codec->height; }
  std::int64_t DeclaredFrameCount() const override {
    return state_.format->streams[state_.stream_index]->nb_frames;
  }
  bool ReadFrame(AviModuleFrame& frame) override {
    state_.Advance();
    if (state_.ready.empty()) return false;
    frame = std::move(state_.ready.front());
    state_.ready.pop_front();
    return true;
  }

 private:
  DecoderState state_;
};

}  // namespace celwright

extern "C" __attribute__((visibility("default"))) celwright::AviModuleDecoder* celwright_open_avi(
    const char* path) {
  return new celwright::FfmpegAviDecoder(path);
}
