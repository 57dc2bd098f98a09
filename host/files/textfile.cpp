#include "textfile.h"

#include "outputfile.h"

void WriteTextFile(const std::string& path, const std::string& text)
{
    TemporaryOutput temporary(path);
    OutputStream stream(temporary);
    stream.write(text.data(), text.size());
    stream.close();
    temporary.commit();
}
