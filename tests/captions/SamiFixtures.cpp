#include "tests/captions/SamiFixtures.h"

#include <QProcess>
#include <QStringEncoder>

namespace lumi::test {

QString koreanSamiText() {
  return QStringLiteral(
      "<SAMI>\r\n<HEAD>\r\n<TITLE>테스트</TITLE>\r\n<STYLE TYPE=\"text/css\">\r\n<!--\r\n"
      "P { margin-left: 8pt; font-size: 20pt; }\r\n"
      ".ENCC {Name: English; lang: en-US;}\r\n"
      ".KRCC {Name: Korean; lang: ko-KR;}\r\n"
      "-->\r\n</STYLE>\r\n</HEAD>\r\n<BODY>\r\n"
      "<SYNC Start=1000><P Class=KRCC><font color=\"yellow\">안녕</font><br>하세요\r\n"
      "<P Class=ENCC>Hello\r\n"
      "<SYNC Start=2500><P Class=KRCC>&nbsp;\r\n<P Class=ENCC>&nbsp;\r\n"
      "<SYNC Start=4000><P Class=KRCC>a<b\r\n"
      "<SYNC Start=6000><P Class=KRCC>긴 자막, 다음 빈 자막이 없습니다\r\n"
      "</BODY>\r\n</SAMI>\r\n");
}

QByteArray encodeSami(const QString& text, FileEncoding encoding) {
  auto encode = [&](QStringConverter::Encoding e) {
    QStringEncoder encoder(e);
    return QByteArray(encoder(text));
  };
  switch (encoding) {
    case FileEncoding::Cp949: {
      // glibc's iconv, so that the reader's own table is checked against another.
      QProcess iconv;
      iconv.start(QStringLiteral("iconv"), {QStringLiteral("-f"), QStringLiteral("UTF-8"), QStringLiteral("-t"),
                                            QStringLiteral("CP949")});
      iconv.write(text.toUtf8());
      iconv.closeWriteChannel();
      iconv.waitForFinished(10000);
      return iconv.readAllStandardOutput();
    }
    case FileEncoding::Utf8: return text.toUtf8();
    case FileEncoding::Utf8Bom: return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case FileEncoding::Utf16LeBom: return QByteArray("\xFF\xFE") + encode(QStringConverter::Utf16LE);
    case FileEncoding::Utf16Le: return encode(QStringConverter::Utf16LE);
    case FileEncoding::Utf16BeBom: return QByteArray("\xFE\xFF") + encode(QStringConverter::Utf16BE);
    case FileEncoding::Utf16Be: return encode(QStringConverter::Utf16BE);
  }
  return {};
}

}  // namespace lumi::test
