# Turns texts.tsv into a C++ source holding it as one raw string.
file(READ ${IN} CONTENT)
string(FIND "${CONTENT}" ")nimo_texts\"" CLASH)
if(NOT CLASH EQUAL -1)
    message(FATAL_ERROR "texts.tsv contains the raw-string delimiter")
endif()
file(WRITE ${OUT} "// Generated from src/lang/texts.tsv; edit that file instead.\n"
    "#include <string_view>\n"
    "extern const std::string_view g_textsTable;\n"
    "const std::string_view g_textsTable = R\"nimo_texts(${CONTENT})nimo_texts\";\n")
