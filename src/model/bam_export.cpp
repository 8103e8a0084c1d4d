#include "model/bam_export.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <unordered_map>

namespace celwright {

ExportBox ComputeExportBox(const TBAM& bam, const TCycleItem& cycle) {
  ExportBox box;
  for (std::int32_t j = 0; j < cycle.Count; ++j) {
    const TBAMFrame frame = bam.GetFrame(cycle.Frames[j]);
    box.left = std::min(box.left, -frame.CentreX);
    box.top = std::min(box.top, -frame.CentreY);
    box.right = std::max(box.right, frame.Width - frame.CentreX);
    box.bottom = std::max(box.bottom, frame.Height - frame.CentreY);
    box.max_centre_x = std::max(box.max_centre_x, frame.CentreX);
    box.max_centre_y = std::max(box.max_centre_y, frame.CentreY);
  }
  return box;
}

std::int32_t ResolveExportCycle(const TBAM& bam, std::int32_t cycle) {
  if (bam.CycleCount() == 0) throw std::runtime_error("The animation has no sequences to export");
  if (cycle < 0) throw EFrameNotExists("Requested cycle (" + std::to_string(cycle) + ") does not exist! (1)");
  return std::min(cycle, bam.CycleCount() - 1);
}

std::string WithExtension(const std::string& name, const std::string& extension) {
  const bool has = name.size() >= extension.size() &&
                   std::equal(extension.begin(), extension.end(), name.end() - extension.size(),
                              [](char a, char b) {
                                return std::tolower(static_cast<unsigned char>(a)) ==
                                       std::tolower(static_cast<unsigned char>(b));
                              });
  return has ? name : name + extension;
}

Bitmap RenderInBox(const TBAM& bam, std::int32_t frame_index, const ExportBox& box) {
  Bitmap picture(box.Width(), box.Height());
  const TColor transparent = bam.GetTransCol();
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) picture.SetPixel(x, y, transparent);
  const TBAMFrame frame = bam.GetFrame(frame_index);
  bam.DrawFrame(frame_index, picture, box.FrameLeft(frame), box.FrameTop(frame), nullptr, false);
  return picture;
}

void TBAM::ExportCycleAsBAM(const std::string& file_name, std::int32_t cycle_number,
                            const TProgressEvent& on_progress) {
  const std::string name = WithExtension(file_name, ".bam");
  const TCycleItem cycle = GetCycle(ResolveExportCycle(*this, cycle_number));

  TBAM target;
  target.NewBAM(name, true);
  target.BAMType = BAMType;
  target.Palette = Palette;
  target.PaletteFourthBytes = PaletteFourthBytes;
  target.CompColIndex = CompColIndex;
  target.CompCol = CompCol;
  target.TransCol = TransCol;
  target.ShadowCol = ShadowCol;
  target.OverrideTransCol = OverrideTransCol;
  target.OverrideShadowCol = OverrideShadowCol;
  // A true-colour cycle keeps the texture blocks of its frames.
  target.Textures = Textures;
  target.PageFolders = PageFolders;
  target.PageSave = PageSave;
  target.AddCycle(-1);

  // Each distinct frame once, numbered in order of first appearance.
  std::unordered_map<std::int32_t, std::int32_t> renumbered;
  for (std::int32_t j = 0; j < cycle.Count; ++j) {
    const std::int32_t source = cycle.Frames[j];
    if (renumbered.count(source)) continue;
    const TBAMFrame info = GetFrame(source);
    const auto begin = Data.begin() + info.DataOffset;
    target.InsertFrameData(-1, -1, -1, std::vector<std::uint8_t>(begin, begin + info.DataSize),
                           info);
    renumbered[source] = target.FrameCount() - 1;
  }
  for (std::int32_t j = 0; j < cycle.Count; ++j) {
    target.AddFrameToCycle(renumbered[cycle.Frames[j]], 0);
  }
  target.SaveToFile(name, BAMType, true, false, on_progress);
}

}  // namespace celwright
