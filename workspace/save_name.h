// The name a file is saved under: the chooser's default extension is added unless the name
// already ends with it, or the user chose to save a file of any type and typed an extension.
#pragma once

#include <string>

namespace ondela {

// The extension of the first pattern of a chooser's filter, without its dot: "txt" for
// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*". Empty when that pattern names none.
std::string DefaultExtension(const std::string& filter);

// chosen with ".extension" added, unless its file name already ends with ".extension" (in any
// letter case), or anyType is set (the user picked the filter for files of every type) and its
// file name has an extension of its own. A proposed name such as "… Rip=0.4dB" therefore gets
// the extension under the text filter. An empty extension changes nothing.
std::string SaveFileName(const std::string& chosen, const std::string& extension, bool anyType);

// The file a print to PDF proposes for a document. A document that is a file (its name holds a
// folder) gives its path with ".pdf" in place of its extension: "/f/lp.txt" gives "/f/lp.pdf".
// Any other name, such as a filter's title, is taken whole, dots and all, with ".pdf" added:
// "… Rip=1.81dB" gives "… Rip=1.81dB.pdf". Empty for an empty name.
std::string PrintFileName(const std::string& documentName);

}  // namespace ondela
