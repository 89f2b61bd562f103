-- The queries of invoice.json, stored in invoice.sqlite (table report_queries).

-- query: invoice_rows
-- Every line of every invoice with its customer and product; one invoice when :invoice_id is
-- given (prepare-many), all of them otherwise.
SELECT i.id AS invoice_id, i.number, i.date, i.payment, i.notes, c.name AS customer, c.address, c.postcode,
       c.city, c.province, p.code, p.description, p.unit, p.vat_rate, l.quantity, l.price,
       CASE WHEN l.discount IS NULL THEN '' ELSE printf('%g', l.discount) END AS discount,
       ROUND(l.quantity * l.price * (100 - COALESCE(l.discount, 0)) / 100.0, 2) AS amount
  FROM invoice_lines l
  JOIN invoices i ON i.id = l.invoice_id
  JOIN customers c ON c.id = i.customer_id
  JOIN products p ON p.id = l.product_id
 WHERE :invoice_id IS NULL OR i.id = :invoice_id
 ORDER BY i.id, p.vat_rate DESC, l.id
