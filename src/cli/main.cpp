#include <csignal>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <exception>
#include <new>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "cli/cli_pictures.h"

namespace {

constexpr const char* kUsage =
    "Usage: celwright-cli COMMAND ...\n"
    "\n"
    "Commands:\n"
    "  info FILE [--json]             describe an animation: kind, frames, cycles, palette\n"
    "  convert IN OUT.bam [--paletted [--dither fs|ordered] | --unpaletted]\n"
    "                     [--compressed | --uncompressed]\n"
    "                                 rewrite an animation, converting its kind if asked;\n"
    "                                 the container is the one asked for, else as read;\n"
    "                                 no dithering unless asked for\n"
    "  convert IN OUT.bam --v2 [--first-page N] [--overwrite-pages]\n"
    "                                 write a BAM V2 file with its texture pages beside it;\n"
    "                                 new pages are numbered from N (default: past the\n"
    "                                 highest page in OUT's folder); pages of other files\n"
    "                                 are never replaced unless --overwrite-pages is given\n"
    "  convert IN OUT.bam --palette P | --keep-entries A-B [--dither fs|ordered] ...\n"
    "                                 map the animation onto exactly the palette of P (a\n"
    "                                 .pal, a BAM or a paletted picture), or onto its own\n"
    "                                 palette rebuilt with entries A to B kept; prints the\n"
    "                                 mean and largest colour error\n"
    "  convert IN OUT.bam --trim --merge-identical ...\n"
    "                                 crop the transparent borders of every frame (centres\n"
    "                                 follow), then collapse frames of the same size, centre\n"
    "                                 and pixels into one; prints the bytes saved\n"
    "  palette build FILE... OUT.pal [--keep-entries A-B]\n"
    "                                 one palette for all the animations and pictures\n"
    "                                 (entries A to B kept from the first one with a palette)\n"
    "  frames IN OUTDIR [--format png|bmp|gif|jpg]\n"
    "                                 write every frame as a picture in display colours\n"
    "  export IN OUT [--cycle N] [--animated]\n"
    "                                 write sequence N (default 0) as .gif, .avi, .bmp, .bam\n"
    "                                 or animated PNG (.apng, or .png with --animated), chosen\n"
    "                                 by OUT's extension\n"
    "  info, convert, frames and export open BAM V2 files; their texture pages are looked\n"
    "  for beside the file, then in each folder given with --pages DIR (repeatable).\n"
    "  An output .bam never replaces one of the command's inputs.\n"
    "  import IN.gif|IN.avi OUT.bam [--centre X,Y] [--paletted | --unpaletted] [--uncompressed]\n"
    "                               [--dither fs|ordered]\n"
    "                                 make a new animation with one sequence of the file's\n"
    "                                 frames (paletted unless asked otherwise)\n"
    "  import PICTURE... OUT.bam [--centre X,Y] [--paletted | --unpaletted] [--uncompressed]\n"
    "                            [--dither fs|ordered]\n"
    "                                 one frame per PNG, BMP, JPEG or GIF picture, in order;\n"
    "                                 centred on the bottom middle unless --centre is given\n"
    "  import SHEET.json OUT.bam [--paletted | --unpaletted] [--uncompressed]\n"
    "                                 a sprite sheet with its data (array or hash layout):\n"
    "                                 frames, centres and one sequence per frame tag\n"
    "  import SHEET.png OUT.bam --grid WxH [--count N] [...]\n"
    "                                 a plain sheet cut into cells, one sequence\n"
    "  import IN.apng|IN.png OUT.bam [...]\n"
    "                                 an animated PNG: one sequence of the frames it shows\n"
    "  sheet IN OUT.png [--json OUT.json] [--cycle N] [--columns N | --packed] [--padding N]\n"
    "        [--indexed]              write every sequence (or sequence N) as a sprite sheet\n"
    "                                 with its data (JSON, \"array\" layout) beside it\n"
    "  check FILE... [--json] [--strict] [--pages DIR]...\n"
    "                                 report what game engines refuse, misread or show\n"
    "                                 otherwise; exit status 1 with errors (or, with\n"
    "                                 --strict, warnings); BAM V2 pages are looked for\n"
    "                                 beside each file, then in each --pages DIR\n"
    "  check --fix IN OUT.bam [--json] [--pages DIR]...\n"
    "                                 write IN with every fix that keeps its pixels\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace celwright::cli;
  // Past a file-size limit a write fails with a message and the temporary file is removed,
  // instead of the process being killed with its temporary left behind.
  std::signal(SIGXFSZ, SIG_IGN);
#if defined(__GLIBC__)
  // Commands pass whole pictures through a few large buffers in turn. Keeping freed buffers in
  // the heap, instead of handing them back and having the kernel clear fresh pages for the next,
  // saves a fifth of a large import's time.
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::cout << kUsage;
    return args.empty() ? 2 : 0;
  }
  const std::string command = args[0];
  args.erase(args.begin());
  try {
    if (command == "info") return RunInfo(args);
    if (command == "palette") return RunPalette(args);
    if (command == "convert") return RunConvert(args);
    if (command == "frames") return RunFrames(args);
    if (command == "export") return RunExport(args);
    if (command == "import") return RunImport(args);
    if (command == "check") return RunCheck(args);
    if (command == "sheet") return RunSheet(args);
    throw UsageError("unknown command \"" + command + "\"");
  } catch (const UsageError& e) {
    std::cerr << "celwright-cli: " << ForTerminal(e.what()) << "\n\n" << kUsage;
    return 2;
  } catch (const std::bad_alloc&) {
    std::cerr << "celwright-cli: there is not enough memory for this " << command << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "celwright-cli: " << ForTerminal(e.what()) << "\n";
    return 1;
  }
}
