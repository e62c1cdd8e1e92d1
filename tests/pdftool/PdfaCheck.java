// Checks PDF/A files with Apache PDFBox in one run: "1b=FILE" gets PDFBox's whole PDF/A-1b
// preflight; "2b=FILE" the checks PDFBox can make for PDF/A-2b: no encryption, the XMP parsed
// and matching the document information, PDF/A-2B identification, an sRGB output intent.
// Prints one line per problem and exits with 1 when there was any.
import java.awt.color.ICC_Profile;
import java.io.File;
import java.util.ArrayList;
import java.util.Calendar;
import java.util.List;
import org.apache.pdfbox.pdmodel.PDDocument;
import org.apache.pdfbox.pdmodel.common.PDMetadata;
import org.apache.pdfbox.pdmodel.graphics.color.PDOutputIntent;
import org.apache.pdfbox.preflight.PreflightDocument;
import org.apache.pdfbox.preflight.ValidationResult;
import org.apache.pdfbox.preflight.metadata.SynchronizedMetaDataValidation;
import org.apache.pdfbox.preflight.parser.PreflightParser;
import org.apache.xmpbox.XMPMetadata;
import org.apache.xmpbox.schema.PDFAIdentificationSchema;
import org.apache.xmpbox.schema.XMPBasicSchema;
import org.apache.xmpbox.xml.DomXmpParser;

public class PdfaCheck {
    static List<String> preflight(String path) throws Exception {
        List<String> problems = new ArrayList<>();
        PreflightParser parser = new PreflightParser(new File(path));
        parser.parse();
        try (PreflightDocument document = parser.getPreflightDocument()) {
            document.validate();
            for (ValidationResult.ValidationError e : document.getResult().getErrorsList())
                problems.add(e.getErrorCode() + " " + e.getDetails());
        }
        return problems;
    }

    static boolean sameTime(Calendar a, Calendar b) {
        return a == null ? b == null : b != null && a.getTimeInMillis() == b.getTimeInMillis();
    }

    static List<String> second(String path) throws Exception {
        List<String> problems = new ArrayList<>();
        try (PDDocument document = PDDocument.load(new File(path))) {
            if (document.isEncrypted())
                problems.add("encrypted");
            PDMetadata metadata = document.getDocumentCatalog().getMetadata();
            if (metadata == null) {
                problems.add("no XMP metadata");
                return problems;
            }
            XMPMetadata xmp = new DomXmpParser().parse(metadata.exportXMPMetadata());
            for (ValidationResult.ValidationError e :
                 new SynchronizedMetaDataValidation().validateMetadataSynchronization(document, xmp))
                problems.add(e.getErrorCode() + " " + e.getDetails());
            XMPBasicSchema basic = xmp.getXMPBasicSchema();
            if (basic == null || !sameTime(basic.getModifyDate(),
                                           document.getDocumentInformation().getModificationDate()))
                problems.add("xmp:ModifyDate does not match ModDate");
            PDFAIdentificationSchema id = xmp.getPDFIdentificationSchema();
            if (id == null || id.getPart() == null || id.getPart() != 2 ||
                !"B".equals(id.getConformance()))
                problems.add("not identified as PDF/A-2B");
            List<PDOutputIntent> intents = document.getDocumentCatalog().getOutputIntents();
            if (intents.size() != 1)
                problems.add(intents.size() + " output intents");
            for (PDOutputIntent intent : intents) {
                if (!"GTS_PDFA1".equals(((org.apache.pdfbox.cos.COSDictionary) intent.getCOSObject()).getNameAsString("S")))
                    problems.add("output intent is not GTS_PDFA1");
                ICC_Profile profile = ICC_Profile.getInstance(
                    intent.getDestOutputIntent().createInputStream());
                if (profile.getColorSpaceType() != java.awt.color.ColorSpace.TYPE_RGB)
                    problems.add("output intent profile is not RGB");
            }
        }
        return problems;
    }

    public static void main(String[] args) throws Exception {
        int failed = 0;
        for (String arg : args) {
            String path = arg.substring(3);
            List<String> problems = arg.startsWith("1b=") ? preflight(path) : second(path);
            for (String problem : problems)
                System.out.println(path + ": " + problem);
            failed += problems.isEmpty() ? 0 : 1;
        }
        System.exit(failed == 0 ? 0 : 1);
    }
}
