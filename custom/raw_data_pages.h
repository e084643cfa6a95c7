// The raw-data pages that can precede the KeelRAID and adapter pages: one
// grid of the commands the collector ran, each row linking to a text file in
// the output folder that holds the command's output. A page family states
// its layout once and hands it to TWriter::WriteRawDataPage:
//
//   static const TRawDataPage kLayout = {"VKXSG_krRawData", "kr_rawData_index", ...};
//   return WriteRawDataPage(kLayout, pageLink);   // "" when there is no record
#ifndef QZA_CUSTOM_RAW_DATA_PAGES_H
#define QZA_CUSTOM_RAW_DATA_PAGES_H

#include <string>

#include "writer/writer.h"

struct TWriter::TRawDataPage {
  const char* fClass;  // one record per command
  const char* fLink;
  const char* fTitle;
  const char* fTableTitle;
  const char* fResultHeader;    // label of the column of links
  const char* fFontOpening;     // opens the Courier font element of a command cell
  const char* fFilePrefix;      // result files: prefix, record number from 0, ".txt"
  const char* fOutputProperty;  // string array, one element per output line
  // The command as its row names it, before encoding.
  std::string (*fCommandText)(const NVKXQZA20::ICIMInstance& record);
};

#endif
