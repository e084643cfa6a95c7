// Test support for the HTML writer: a report file parsed with libxml2's HTML
// parser into what the tests look at: parser complaints, elements with their
// attributes in document order, and the text a reader sees.
//
//   THtmlInspection page = InspectHtmlFile(folder + "/index.html");
//   EXPECT_TRUE(page.fProblems.empty());
//   page.Elements("a")   // every link, with its attributes
#ifndef QZA_TESTS_HOST_HTML_INSPECTION_H
#define QZA_TESTS_HOST_HTML_INSPECTION_H

#include <libxml/HTMLparser.h>
#include <libxml/xmlerror.h>

#include <map>
#include <string>
#include <vector>

struct THtmlElement {
  std::string fName;
  std::map<std::string, std::string> fAttributes;
  std::string fText;  // the text inside, markup removed

  bool Has(const std::string& attribute) const { return fAttributes.count(attribute) != 0; }
  std::string Get(const std::string& attribute) const {
    auto found = fAttributes.find(attribute);
    return found == fAttributes.end() ? "" : found->second;
  }
  bool HasClass(const std::string& name) const {
    return (" " + Get("class") + " ").find(" " + name + " ") != std::string::npos;
  }
};

struct THtmlInspection {
  std::vector<std::string> fProblems;  // errors and warnings of the parser
  std::vector<THtmlElement> fElements;
  std::vector<std::string> fTexts;  // text nodes, in order

  std::vector<THtmlElement> Elements(const std::string& name) const {
    std::vector<THtmlElement> found;
    for (const THtmlElement& element : fElements) {
      if (element.fName == name) found.push_back(element);
    }
    return found;
  }
  bool HasText(const std::string& text) const {
    for (const std::string& each : fTexts) {
      if (each.find(text) != std::string::npos) return true;
    }
    return false;
  }
};

namespace html_inspection {

inline std::string TextInside(xmlNodePtr node) {
  xmlChar* content = xmlNodeGetContent(node);
  std::string text = content ? reinterpret_cast<const char*>(content) : "";
  xmlFree(content);
  return text;
}

inline void Walk(xmlNodePtr node, THtmlInspection& inspection) {
  for (; node; node = node->next) {
    if (node->type == XML_TEXT_NODE) {
      inspection.fTexts.push_back(TextInside(node));
      continue;
    }
    if (node->type != XML_ELEMENT_NODE) continue;
    THtmlElement element;
    element.fName = reinterpret_cast<const char*>(node->name);
    for (xmlAttrPtr attribute = node->properties; attribute; attribute = attribute->next) {
      xmlChar* value = xmlNodeListGetString(node->doc, attribute->children, 1);
      element.fAttributes[reinterpret_cast<const char*>(attribute->name)] =
          value ? reinterpret_cast<const char*>(value) : "";
      xmlFree(value);
    }
    element.fText = TextInside(node);
    inspection.fElements.push_back(element);
    Walk(node->children, inspection);
  }
}

}  // namespace html_inspection

inline THtmlInspection InspectHtmlFile(const std::string& path) {
  THtmlInspection inspection;
  // A generic lambda fits the handler type of every libxml2 version.
  xmlSetStructuredErrorFunc(&inspection.fProblems, [](void* problems, auto error) {
    static_cast<std::vector<std::string>*>(problems)->push_back(std::to_string(error->line) + ": " +
                                                                (error->message ? error->message : "?"));
  });
  htmlDocPtr document = htmlReadFile(path.c_str(), "UTF-8", HTML_PARSE_NONET);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
  if (!document) {
    inspection.fProblems.push_back(path + ": not parsed");
    return inspection;
  }
  html_inspection::Walk(xmlDocGetRootElement(document), inspection);
  xmlFreeDoc(document);
  return inspection;
}

#endif
