/*
 * An example Celwright II plug-in, and a walk through writing one.
 *
 * Build it by hand with
 *
 *   cc -shared -fPIC -fvisibility=hidden -I../include -o example.so example_plugin.c
 *
 * and copy example.so into the "Plugins" folder beside the celwright program (or into
 * ~/.local/share/celwright-ii/plugins). The next start of the editor shows its entries:
 *
 *   Colors > Invert Palette            every palette entry replaced by its negative
 *   Help > About the Example Plug-in   the editor's about box with this plug-in's texts
 *   Plugins > Example Plug-in          a heading: an entry that does nothing
 *           > Document Summary         facts about the open animation, in the about box
 *           > Toggle Compressed Save   the next save writes the other container
 *           > Save                     File > Save
 *           > Close                    File > Close
 */
#include <stdio.h>

#include "celwright_plugin.h"

/*
 * The editor hands us a table of its functions in InitializePlugin. Keeping a pointer to it is
 * all the set-up a plug-in needs: nothing of the executable has to be resolved by name. (The
 * same functions are also exported by name, so calling RegisterMenuEntry(...) directly works
 * too; the table is simply the more robust choice.)
 */
static const CelwrightHost* host;

/* Our own handle: RegisterMenuEntry uses it to find the functions our entries name. */
static CelwrightLibrary self;

/*
 * Menu functions take no arguments and return nothing. They must be exported under the name
 * given to RegisterMenuEntry: we build with -fvisibility=hidden, so each one is marked with
 * CELWRIGHT_PLUGIN_EXPORT. A function the editor cannot find is never called.
 */
CELWRIGHT_PLUGIN_EXPORT void ExampleInvertPalette(void) {
  char name[16];
  int entry;
  /* Every getter answers its Default when no document is open; -1 is no colour, so we can
   * tell "nothing open" from a black entry. */
  if (!host->GetBAMPropertyBool("isopen", 0)) return;
  for (entry = 0; entry < 256; ++entry) {
    int32_t colour;
    snprintf(name, sizeof name, "palette:%d", entry);
    colour = host->GetBAMPropertyInt(name, -1);
    if (colour < 0) return;
    /* Colours are 0x00BBGGRR: flipping the low 24 bits gives the negative. */
    host->SetBAMPropertyInt(name, colour ^ 0x00FFFFFF);
  }
  /* The editor marks the document changed and shows it again once we return. */
}

CELWRIGHT_PLUGIN_EXPORT void ExampleAbout(void) {
  host->ShowAboutBox("Example Plug-in", "1.0", "2026", "The Celwright II developers",
                     "celwright@example.org", "example.org/celwright");
}

CELWRIGHT_PLUGIN_EXPORT void ExampleSummary(void) {
  char frames[64], cycles[64], container[64], key[64];
  const char* file_name;
  if (!host->GetBAMPropertyBool("isopen", 0)) {
    host->ShowAboutBox("Document Summary", "No document is open.", "", "", "", "");
    return;
  }
  /* A string the editor returns is its own; copy it if it must outlive the next change. */
  file_name = host->GetBAMPropertyStr("filename", "");
  snprintf(frames, sizeof frames, "%d frames", (int)host->GetBAMPropertyInt("frames", 0));
  snprintf(cycles, sizeof cycles, "%d sequences", (int)host->GetBAMPropertyInt("cycles", 0));
  snprintf(container, sizeof container, "Next save: %s",
           host->GetBAMPropertyBool("compressed", 0) ? "compressed (BAMC)" : "uncompressed");
  snprintf(key, sizeof key, "Run-length key: index %d",
           (int)host->GetBAMPropertyInt("compcolindex", 0));
  host->ShowAboutBox(file_name, frames, cycles, container, key, "");
}

CELWRIGHT_PLUGIN_EXPORT void ExampleToggleCompressed(void) {
  const CelwrightBool compressed = host->GetBAMPropertyBool("compressed", 0);
  host->SetBAMPropertyBool("compressed", compressed ? 0 : 1);
}

CELWRIGHT_PLUGIN_EXPORT void ExampleSave(void) { host->SaveCurrent(); }

CELWRIGHT_PLUGIN_EXPORT void ExampleClose(void) { host->CloseCurrent(); }

/*
 * The entry point: called once, right after the editor loaded us. Check that the editor's
 * table is at least as large as the one we were built against, then register the entries.
 * The parent is the name of a menu ("Colors1", "Help1", ...); any other name, such as
 * "PluginsMenu" or a typo, puts the entry in the Plugins menu. The editor copies every string,
 * so these could as well be built on the stack.
 */
CELWRIGHT_PLUGIN_EXPORT void InitializePlugin(const CelwrightHost* HostApp,
                                              CelwrightLibrary Library) {
  if (!HostApp || HostApp->Size < sizeof(CelwrightHost) ||
      HostApp->Version < CELWRIGHT_HOST_VERSION)
    return; /* an older editor: stay out of the way */
  host = HostApp;
  self = Library;

  host->RegisterMenuEntry("Colors1", "&Invert Palette", "ExampleInvertPalette", self);
  host->RegisterMenuEntry("Help1", "About the &Example Plug-in", "ExampleAbout", self);
  /* An empty function name makes a heading: shown, but it does nothing. */
  host->RegisterMenuEntry("PluginsMenu", "Example Plug-in", "", self);
  host->RegisterMenuEntry("PluginsMenu", "Document &Summary", "ExampleSummary", self);
  host->RegisterMenuEntry("PluginsMenu", "&Toggle Compressed Save", "ExampleToggleCompressed",
                          self);
  host->RegisterMenuEntry("PluginsMenu", "Sa&ve", "ExampleSave", self);
  host->RegisterMenuEntry("PluginsMenu", "C&lose", "ExampleClose", self);
}
