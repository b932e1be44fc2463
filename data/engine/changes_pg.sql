-- Every commit that changes a table of the catalogue tells the programs
-- connected to the server which table it was: they read it again. One
-- notification per table and transaction (the server merges repeats).

CREATE FUNCTION catalogue_changed() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    PERFORM pg_notify('catalogue_changes', TG_TABLE_NAME);
    RETURN NULL;
END
$$;

DO $$
DECLARE
    t text;
BEGIN
    FOREACH t IN ARRAY ARRAY['category', 'years', 'ide', 'projects', 'orders', 'configs'] LOOP
        EXECUTE format('CREATE TRIGGER %I AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON %I'
                       ' FOR EACH STATEMENT EXECUTE FUNCTION catalogue_changed()', t || '_changed', t);
    END LOOP;
END
$$;
