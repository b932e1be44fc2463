// Made legacy-edited.mdb and its .expected, once, by hand (Jackcess and the
// Gen helpers of the other fixtures' maker on the class path):
//   java GenEdited legacy-edited.mdb legacy-edited.expected
// A table edited after it was filled: rows that grew past their page (moved
// to another one), one of them deleted since, and a column added after the
// first rows were written.
import com.healthmarketscience.jackcess.*;
import java.io.*;
import java.nio.charset.StandardCharsets;
import java.util.*;

public class GenEdited {
  public static void main(String[] a) throws Exception {
    File out = new File(a[0]);
    out.delete();
    Database db = new DatabaseBuilder(out).setFileFormat(Database.FileFormat.V2000).create();
    Table t = new TableBuilder("ide").addColumn(Gen.auto("version_id")).addColumn(Gen.text("ide", 255))
        .addIndex(new IndexBuilder(IndexBuilder.PRIMARY_KEY_NAME).addColumns("version_id").setPrimaryKey()).toTable(db);
    List<String> names = new ArrayList<>();
    for (int i = 0; i < 300; i++) { String n = "v" + i; t.addRow(null, n); names.add(n); }
    // grow every tenth row well past what is left on its page
    for (Row r : t) {
      int id = (Integer) r.get("version_id");
      if (id % 10 == 0) {
        String n = "Я".repeat(200) + id;
        r.put("ide", n); t.updateRow(r); names.set(id - 1, n);
      }
    }
    // delete one of the moved rows: only the row that points to it is marked
    for (Row r : t) if ((Integer) r.get("version_id") == 20) { t.deleteRow(r); break; }
    new ColumnBuilder("note", DataType.LONG).addToTable(t);
    Table t2 = db.getTable("ide");
    t2.addRow(null, "после", 7);
    StringBuilder e = new StringBuilder();
    for (int i = 0; i < names.size(); i++) if (i + 1 != 20) e.append("ide|version_id=").append(i + 1).append("|ide='").append(names.get(i)).append("'|note=\\N\n");
    e.append("ide|version_id=301|ide='после'|note=7\n");
    db.close();
    try (Writer w = new OutputStreamWriter(new FileOutputStream(a[1]), StandardCharsets.UTF_8)) { w.write(e.toString()); }
  }
}
