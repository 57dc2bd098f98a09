#include "textoutput.h"

#include "host/audio/audiofile.h"
#include "host/audio/outputfile.h"
#include "usageerror.h"

void WriteTextOutput(const std::string& path, const std::string& text)
{
    TemporaryOutput temporary(path);
    OutputStream stream(temporary);
    stream.write(text.data(), text.size());
    stream.close();
    temporary.commit();
}

void RefuseOverwritingInputs(const std::string& path, const std::string& option,
                             const std::vector<std::string>& inputs)
{
    for (const std::string& input : inputs)
        if (path == input || SameFile(path, input))
            throw UsageError(option + " " + path + " is the same file as the input " + input);
}
