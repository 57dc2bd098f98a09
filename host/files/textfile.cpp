#include "textfile.h"

TextFileOutput::TextFileOutput(const std::string& path) : temporary(path) {}

void TextFileOutput::write(const std::string& text)
{
    OutputStream stream(temporary);
    stream.write(text.data(), text.size());
    stream.close();
    temporary.commit();
}

void WriteTextFile(const std::string& path, const std::string& text)
{
    TextFileOutput(path).write(text);
}
