// The stylesheet and the script every page of an HTML report loads; they are
// part of the program, so a report needs no file besides its own folder.
// The script sorts tables (natural order), filters long tables, searches
// the whole report from the index and marks search hits on a page.
#ifndef QZA_HOST_HTML_ASSETS_H
#define QZA_HOST_HTML_ASSETS_H

extern const char kHtmlStylesheet[];
extern const char kHtmlScript[];

#endif
