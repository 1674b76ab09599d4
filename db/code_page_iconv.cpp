// The code page conversions on POSIX systems, through iconv.

#include <iconv.h>

#include <cerrno>

#include "db/code_page_converter.h"

namespace {

class IconvConverter : public CodePage::Converter {
 public:
  explicit IconvConverter(iconv_t handle) : handle_(handle) {}
  ~IconvConverter() override { iconv_close(handle_); }
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

  std::size_t convert(std::string_view input, std::string& output) override {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
      // E2BIG only means the bounded buffer is full; EILSEQ and EINVAL stop the conversion.
      if (!step(&in, &inLeft, output) && errno != E2BIG) return input.size() - inLeft;
    }
    // Stateful code pages end with a shift back to their initial state.
    while (!step(nullptr, nullptr, output) && errno == E2BIG) {
    }
    return input.size();
  }

 private:
  // One iconv call into a bounded buffer; false with errno set when it stopped early.
  bool step(char** in, std::size_t* inLeft, std::string& output) {
    char buffer[1024];
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    std::size_t result = iconv(handle_, in, inLeft, &out, &outLeft);
    int reason = errno;
    output.append(buffer, static_cast<std::size_t>(out - buffer));
    errno = reason;
    return result != static_cast<std::size_t>(-1);
  }

  iconv_t handle_;
};

std::unique_ptr<CodePage::Converter> open(const std::string& to, const std::string& from) {
  iconv_t handle = iconv_open(to.c_str(), from.c_str());
  if (handle == reinterpret_cast<iconv_t>(-1)) return nullptr;
  return std::make_unique<IconvConverter>(handle);
}

}  // namespace

std::unique_ptr<CodePage::Converter> openEncoder(const std::string& codePage) {
  return open(codePage, "UTF-8");
}

std::unique_ptr<CodePage::Converter> openDecoder(const std::string& codePage) {
  return open("UTF-8", codePage);
}
