#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/bam_types.h"
#include "model/preview_thread.h"
#include "model/rle.h"
#include "support/bitmap.h"
#include "support/color_types.h"
#include "support/media/dithering.h"

namespace celwright {

class ReservedEntryMapper;
struct TextureOrigin;

// The animation document: frames (encoded pixels with a size and centre), cycles (lists of frame
// numbers) and one 256-entry palette. Frame pixels are only ever kept encoded, contiguously and
// in frame order in `Data` from `DataStart` on; every read decodes, every write re-encodes and
// splices. Frames and cycles live in vectors, so frame and cycle numbers are vector positions.
class TBAM {
 public:
  TBAM();
  ~TBAM();
  TBAM(const TBAM&) = delete;
  TBAM& operator=(const TBAM&) = delete;

  // --- Document fields -------------------------------------------------------------------
  std::int32_t LookupCount = 0;
  std::uint32_t FrameEntriesOffset = 0;
  std::uint32_t CycleEntriesOffset = 0;
  std::uint32_t PaletteOffset = 0;
  std::uint32_t LookupOffset = 0;
  std::uint8_t BAMType = kNoBAM;
  TColor CompCol = 0;
  std::uint8_t CompColIndex = 0;
  std::int32_t TranspInd = 0;
  std::int32_t ShadowInd = 1;
  std::int32_t DataStart = 0;
  Palette256 Palette{};
  // The 4th byte of each palette entry as read: newer engine editions take it as alpha (0 is
  // opaque), so it is written back unchanged; 0 for palettes made here.
  std::array<std::uint8_t, 256> PaletteFourthBytes{};
  bool IsOpen = false;
  std::vector<std::uint8_t> Data;
  std::int32_t ErrorCode = 0;
  std::string ErrorMessage;           // why the last load was refused
  std::vector<std::string> Warnings;  // what the last load repaired
  std::string FileName;
  bool Compressed = false;
  bool PreviewsAborted = false;
  TProgressEvent OnProgress;
  bool OverrideTransCol = true;
  bool OverrideShadowCol = true;
  TColor TransCol = 0;
  TColor ShadowCol = 0;
  // How converting to paletted and importing into a paletted document approximate colours
  // between palette entries; never dithered unless asked for.
  Dithering ConversionDithering = Dithering::kNone;

  // Whether LoadFromFile opens BAM V2 files (true colour on texture pages); callers that do not
  // handle that kind yet leave it off and such files are refused with a message.
  bool OpenTrueColour = false;
  // Folders searched for texture pages after the animation's own folder.
  std::vector<std::string> PageFolders;
  // Where a BAM V2 file's frames lie on its pages, so saving keeps the blocks of unchanged
  // frames byte for byte; null for other kinds and new documents.
  std::shared_ptr<const TextureOrigin> Textures;
  // How the next BAM V2 save places new pages, and what the last one had to tell (pages copied
  // or no longer used).
  TexturePageSave PageSave;
  std::vector<std::string> SaveNotes;

  std::int32_t FrameCount() const { return static_cast<std::int32_t>(frames_.size()); }
  std::int32_t CycleCount() const { return static_cast<std::int32_t>(cycles_.size()); }

  // --- Whole document -------------------------------------------------------------------
  void Clear();
  bool NewBAM(const std::string& file_name, bool no_frames);
  std::uint8_t GetBAMType() const { return BAMType; }
  // Frames hold palette indices (not colours, nor colours with alpha).
  bool Paletted() const { return BAMType != kUnpalettedBAM && BAMType != kTrueColourBAM; }
  TColor GetTransCol() const;
  TColor GetShadowCol() const;

  // --- Files ----------------------------------------------------------------------------
  // Reads a paletted, unpaletted or compressed BAM. On refusal returns false with `ErrorCode`
  // and `ErrorMessage` set; repairs of a flawed but readable file are listed in `Warnings`.
  bool LoadFromFile(const std::string& file_name, const TProgressEvent& on_progress = {});
  // Writes the document; returns false for an unnamed document. Throws EBAMSaveError when the
  // document cannot be written; the previous file is then left as it was.
  bool SaveToFile(const std::string& file_name, std::uint8_t bam_type, bool compressed,
                  bool reload, const TProgressEvent& on_progress = {});
  bool Save(const TProgressEvent& on_progress = {});
  bool SaveAs(const std::string& file_name, std::uint8_t bam_type, bool compressed,
              const TProgressEvent& on_progress = {});

  // --- Frames and cycles ----------------------------------------------------------------
  TBAMFrame GetFrame(std::int32_t index) const;
  TCycleItem GetCycle(std::int32_t index) const;
  // Where frame `index`'s data sat in the file last read; edits do not keep it current.
  std::int32_t FileDataOffset(std::int32_t index) const { return frames_.at(index).DataOffset; }
  // Position of frame `index`'s bytes in `Data` (index may equal FrameCount: the end). O(1):
  // every operation that changes frame sizes keeps a table of positions current.
  std::size_t FrameDataPosition(std::int32_t index) const;

  // Frames above this many pixels are never decoded whole in memory (8192 x 8192 = 64 M
  // pixels); DecodeFrame and everything built on it refuse them with a FrameTooLargeError that
  // names the frame and its size. `info` checksums frames of any size chunk by chunk.
  static constexpr std::uint64_t kMaxDecodedFramePixels = std::uint64_t{1} << 26;
  // Calls `chunk(bytes, size)` with the decoded pixels of frame `index` in order, a bounded
  // piece at a time, so frames of any size can be checksummed in little memory.
  void DecodeFrameInChunks(std::int32_t index,
                           const std::function<void(const std::uint8_t*, std::size_t)>& chunk) const;

  void InsertFrame(std::int32_t index, std::int32_t cycle, std::int32_t position, bool duplicate);
  void InsertFrameData(std::int32_t index, std::int32_t cycle, std::int32_t position,
                       const std::vector<std::uint8_t>& source, const TBAMFrame& info);
  void DeleteFrame(std::int32_t index);

  bool AddCycle(std::int32_t copy_of);
  bool DeleteCycle(std::int32_t index);
  // Adding frames or lookup entries past what engines read throws engine::EngineLimitError.
  void AddFrameToCycle(std::int32_t frame, std::int32_t cycle);
  // The entries of all cycles together: the lookup table the writer builds.
  std::int64_t LookupEntryCount() const;
  bool DeleteFrameFromCycle(std::int32_t cycle, std::int32_t position);
  bool MoveFrameInCycle(std::int32_t cycle, std::int32_t from_pos, std::int32_t to_pos);

  // --- Frame pixels ----------------------------------------------------------------------
  // Draws frame `index` with its top-left corner at (left, top) of a 24-bit `canvas`. Without
  // blending, transparent and shadow pixels show in their display colours; with it, transparent
  // pixels leave the canvas alone and shadow pixels darken it. `index_image`, when given, becomes
  // the frame's index plane (one index a pixel) for paletted documents.
  void DrawFrame(std::int32_t index, Bitmap& canvas, int left, int top, Bitmap* index_image,
                 bool blend_shadows) const;
  // The colour each palette entry is drawn in without blending: the transparent and shadow
  // entries in their display colours.
  std::array<TColor, 256> DrawnColours() const;
  // Sets `bitmap` to the frame's size and draws the frame into it without blending.
  void GetFrameBitmap(std::int32_t index, Bitmap& bitmap, Bitmap* index_image) const;
  // A true-colour frame as a 32-bit picture with its alpha.
  Bitmap GetFrameAlphaBitmap(std::int32_t index) const;
  // Replaces the frame's pixels, size and centre. `bitmap` is `info.Width` x `info.Height`: an
  // index image (or 8-bit picture of indices) for paletted documents, 24 bits for unpaletted,
  // 32 bits with alpha (or 24 bits, opaque) for true colour.
  void SetFrameBitmap(std::int32_t index, const Bitmap& bitmap, const TBAMFrame& info);
  // The colour a background pixel takes under a shadow pixel: each channel halved, halves
  // rounded to the even neighbour.
  static TColor ShadowBlend(TColor colour);
  // The document palette, and the same with entries 0 and 1 in their display colours.
  Palette256 GetHPalette() const { return Palette; }
  Palette256 GetDisplayHPalette() const;

  // --- Conversion ------------------------------------------------------------------------
  // Converts between paletted (1), unpaletted (2) and true colour (3); frames are stored again
  // without run-length encoding. Going to paletted builds one palette for all frames with the
  // transparent and shadow colours at entries 0 and 1; paletted to unpaletted is lossless. To
  // true colour, transparent pixels get alpha 0 and shadow black at alpha 128; from it, alpha
  // below 128 is transparent, black at partial alpha shadow, everything else opaque.
  void SetBAMType(std::uint8_t new_type);

  // --- Export ----------------------------------------------------------------------------
  // Writes cycle `cycle` (past the last: the last one) with just the frames it uses as a
  // compressed BAM of this document's kind; ".bam" is appended unless the name ends in it.
  void ExportCycleAsBAM(const std::string& file_name, std::int32_t cycle,
                        const TProgressEvent& on_progress = {});
  // The cycle as a 15 frames-per-second paletted video, and as a looping animated GIF, every
  // frame placed by its centre in a common box. Throw a message on failure and leave no
  // partial file.
  void ExportAVI(const std::string& file_name, std::int32_t cycle) const;
  void ExportGIF(const std::string& file_name, std::int32_t cycle) const;
  // The cycle's frames side by side in one bitmap file, one box-sized cell each.
  void ExportBMP(const std::string& file_name, std::int32_t cycle) const;
  // Append one cycle holding the file's frames, centred, mapped to the display palette for
  // paletted documents. A GIF opened into an empty document gives it its palette. Frames
  // imported before a failure stay.
  void ImportAVI(const std::string& file_name);
  void ImportGIF(const std::string& file_name);

  // --- Thumbnails ------------------------------------------------------------------------
  // Starts building every frame's thumbnail on a worker thread (waiting first for a previous
  // worker). The worker reads a private copy of the document, so edits may go on meanwhile.
  void MakePreviews(PreviewCallbacks callbacks);
  // As MakePreviews, but the worker builds only the frames asked for with RequestPreviews and
  // waits for more until cancelled (or replaced); see TMakePreviewThread::StartOnDemand.
  void MakePreviewsOnDemand(PreviewCallbacks callbacks, std::function<void()> on_idle);
  void RequestPreviews(std::vector<std::int32_t> frames);
  // Asks the running worker to stop after its current frame; PreviewsAborted is then set.
  void CancelPreviews();
  std::unique_ptr<TMakePreviewThread> PreviewThread;

  // A private, independent copy of the document's content (frames, cycles, palette, colours),
  // without callbacks or worker.
  std::unique_ptr<TBAM> CloneContent() const;

  // --- Whole-frame splices (the undo history) --------------------------------------------
  // Replaces frames first .. first + count - 1 by `frames`, whose encoded bytes follow one
  // another in `bytes`. Cycles stay as they are: whoever splices puts back its own.
  void SpliceFrames(std::int32_t first, std::int32_t count, const std::vector<TBAMFrame>& frames,
                    const std::vector<std::uint8_t>& bytes);
  // The same when the new bytes were already exchanged in place of the old: only the records
  // change, and together they must take exactly the bytes the old ones did.
  void SpliceFrameRecords(std::int32_t first, std::int32_t count,
                          const std::vector<TBAMFrame>& frames);
  const std::vector<TCycleItem>& Cycles() const { return cycles_; }
  void SetCycles(std::vector<TCycleItem> cycles) { cycles_ = std::move(cycles); }

  // --- Encoding helpers -----------------------------------------------------------------
  // The run-length key of this document's kind.
  rle::Key CompressionKey() const;
  // Replaces frame `index`'s encoded bytes and record fields (size, centre, RLE).
  void ReplaceFrameData(std::int32_t index, const std::vector<std::uint8_t>& bytes,
                        const TBAMFrame& info);
  // Decodes frame `index` into raw pixels (1 or 3 bytes a pixel, rows top-down).
  std::vector<std::uint8_t> DecodeFrame(std::int32_t index) const;
  int BytesPerPixel() const {
    return BAMType == kUnpalettedBAM ? 3 : BAMType == kTrueColourBAM ? 4 : 1;
  }

 private:
  friend class BAMReader;
  friend class BAMWriter;
  friend class BAMV2Reader;
  friend class BAMV2Writer;
  friend class TrueColourCopy;

  void Progress(const TProgressEvent& on_progress, std::int32_t position, std::int32_t max,
                std::uint8_t stage) const;
  // Adds a frame to the last cycle: `pixels` as SetFrameBitmap takes them, centred.
  void AppendImportedFrame(const Bitmap& pixels);
  ReservedEntryMapper ImportMapper() const;
  void ConvertToPaletted();
  void ConvertToUnpaletted();
  void ConvertToTrueColour();
  void ConvertFromTrueColour(std::uint8_t new_type);
  bool SaveTrueColour(const std::string& file_name, bool reload, const TProgressEvent& on_progress);
  void StoreConvertedFrames(std::vector<std::uint8_t> data, int bytes_per_pixel);
  void InsertFrameNode(std::int32_t index, std::int32_t cycle, std::int32_t position,
                       const TBAMFrame& node, const std::vector<std::uint8_t>& bytes);
  void SpliceData(std::size_t position, std::size_t old_size,
                  const std::vector<std::uint8_t>& bytes);
  std::vector<std::uint8_t> TransparentFrameBytes(std::int32_t width, std::int32_t height,
                                                  bool& rle) const;

  // Positions of the frames' data relative to DataStart: frame_ends_[i] is where frame i's data
  // ends (the sum of DataSize of frames 0..i). Kept current by every change of frames_.
  void RebuildFramePositions();
  void ReplaceFrameRecords(std::int32_t first, std::int32_t count,
                           const std::vector<TBAMFrame>& frames);
  void ShiftFramePositions(std::size_t from_frame, std::int64_t delta);
  // Supersedes and waits for the previous worker, then makes (without starting) a new one.
  void ReplacePreviewThread(PreviewCallbacks callbacks);

  std::vector<TBAMFrame> frames_;
  mutable std::vector<std::size_t> frame_ends_;
  std::vector<TCycleItem> cycles_;
  // Lets work queued by the thumbnail worker know whether this document still exists.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Shadow in a true-colour animation: black at half alpha, which looks like the games' shadow.
inline constexpr std::uint8_t kTrueColourShadowAlpha = 128;

// How a true-colour pixel looks in an animation without alpha: see-through below alpha 128,
// black at partial alpha shadow (the games' shadows), any other colour opaque and moved off the
// transparent and shadow colours so that it does not read as either.
TColor ColourWithoutAlpha(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                          std::uint8_t alpha, TColor transparent, TColor shadow);

}  // namespace celwright
