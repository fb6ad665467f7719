#include "tests/app/AppTestSupport.h"

#include <filesystem>

#include "tests/TestDocuments.h"

namespace folivo::test {

std::string CopySample(const ScratchFolder& folder, const std::string& name)
{
    const std::string target = folder.File(name);
    std::filesystem::copy_file(std::string(FOLIVO_SOURCE_DIR) + "/examples/sample.pdf", target,
                               std::filesystem::copy_options::overwrite_existing);
    return target;
}

std::string WriteUndatedPdf(const ScratchFolder& folder, const std::string& name)
{
    PdfBuilder builder;
    builder.objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                       "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 300] >>", "<< /Title (Ohne Datum) >>"};
    builder.trailerEntries = "/Root 1 0 R /Info 4 0 R";
    return folder.Write(name, builder.Build());
}

}  // namespace folivo::test
